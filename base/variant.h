#pragma once
// nightloom-prev is built from the same sources with NIGHTLOOM_PREV=1. Every
// behaviour that differs between the two programs tests kPrevBuild in the one
// place where it applies.

#ifndef NIGHTLOOM_PREV
#define NIGHTLOOM_PREV 0
#endif

constexpr bool kPrevBuild = NIGHTLOOM_PREV != 0;
