#pragma once
// Small pieces the show's scene generators share: writing a file, a motion
// key, a one-surface object, a polished metal.

#include "demo/lightwave/lwo_writer.h"
#include "demo/lightwave/lws_writer.h"

#include <string>

bool save(const std::string& path, const void* data, size_t size);
bool save(const std::string& path, const std::string& text);
bool saveObject(const std::string& path, const lwo::Object& object);

// A key of an item's motion at `time` seconds.
lws::MotionKey keyAt(double time, float x, float y, float z, float heading = 0, float pitch = 0,
                     float bank = 0);

lwo::Object oneLayerObject(const lwo::Surface& surface, const lwo::Layer& layer);

// A smooth, shiny metal: strong, fairly tight highlights.
lwo::Surface polishedMetal(const char* name, lwo::Vec3 colour, float smoothingAngle);
