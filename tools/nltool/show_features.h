#pragma once
// What a show uses, for nltool check's summary: how often its script runs
// each command of the keyword table, and the render features found in the
// scenes its metascenes load (surface programs and the texture-stage rows
// their surfaces take, lights by type, falloff and shadow, flares, emitters
// and effectors, mirrors and cube reflections, progressive meshes and point
// clouds, fog, picture formats) together with the light modes the script
// turns on. Feature names come from one table, so a list of required names
// can be checked.

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

    // The features with their counts, including those that need both an
    // event and a scene (the script's events and the metascenes may come in
    // any order).
    std::map<std::string, int> found() const;
    // Two lines of commands (used with their counts, and never used), then
    // one of features found with their counts and one of those missing.
    void print(std::ostream& out) const;
    // The names of `required` (features or command keywords) the show does
    // not use.
    std::vector<std::string> missing(const std::vector<std::string>& required) const;

    std::map<std::string, int> commands; // keyword -> events
    std::map<std::string, int> features; // feature -> times found in the scenes
    int lightFlashOn = 0;                // "lightflash" events with an argument other than 0
    int lightFalloffOn = 0;              // "lightfalloff" events with an argument other than 0
};
