#pragma once
// The storm: rain falls from a cloud, is drawn to a glowing core and bounces
// off it and off the floor (attractor and collision effectors), smoke rises
// from a vent (particles drawn from a volume texture), and stars wheel past
// as streaks (a point cloud); its cameras see it with two eyes. Objects
// "storm_*.lwo", the scene "storm.lws", the metascript "storm.txt", and the
// pause after it, the binary metascene "interlude.kpx".

#include <string>
#include <vector>

// The names of the files writeStorm makes.
std::vector<std::string> stormFiles();
bool writeStorm(const std::string& dir);
