#pragma once
// The forge: a riveted iron wall lit per pixel through its normal map, a
// key light raking it, flickering embers, and five tools before it, each
// combining its surface's picture layers another way (a transparency cut-out,
// colour through transparency, diffuse and specular pictures, a mirrored
// glow). Objects "forge_*.lwo", the scene "forge.lws", the metascript
// "forge.txt".

#include <string>
#include <vector>

// The names of the files writeForge makes.
std::vector<std::string> forgeFiles();
bool writeForge(const std::string& dir);
