#pragma once
// What a show uses, for nltool check's summary: how often its script runs
// each command of the keyword table, and the render features found in the
// scenes its metascenes load (surface programs, lights by type, falloff and
// shadow, flares, emitters and effectors, mirrors and cube reflections,
// progressive meshes and point clouds, fog, picture formats). Feature names
// come from one table, so a list of required names can be checked.

#include <map>
#include <ostream>
#include <string>
#include <vector>

class MetaScene;
struct ScriptEvent;

// Every feature name the summary knows, in the order it prints them.
const std::vector<std::string>& knownFeatures();

class ShowFeatures {
public:
    void addEvent(const ScriptEvent& event);
    // The scenes, objects, lights and textures of a loaded metascene.
    void addMetaScene(const MetaScene& meta);

    // Two lines of commands (used with their counts, and never used), then
    // one of features found with their counts and one of those missing.
    void print(std::ostream& out) const;
    // The names of `required` (features or command keywords) the show does
    // not use.
    std::vector<std::string> missing(const std::vector<std::string>& required) const;

    std::map<std::string, int> commands; // keyword -> events
    std::map<std::string, int> features; // feature -> times found
};
