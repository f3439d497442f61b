#pragma once
// The names LWO2 files give a gradient layer's input (GRAD's PNAM), in the
// order the surface loader numbers them; the writers use the same table.

constexpr int GRADIENT_INPUT_COUNT = 11;
inline constexpr const char* GRADIENT_INPUT_NAMES[GRADIENT_INPUT_COUNT] = {
    "Previous Layer",      "Bump",
    "Slope",               "Incidence Angle",
    "Light Incidence",     "Distance to Camera",
    "Distance to Object",  "X Distance to Object",
    "Y Distance to Object", "Z Distance to Object",
    "Weight Map"};
