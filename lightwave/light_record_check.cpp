// The portable light record against Direct3D 8's (Windows build only): the
// renderer passes the record to SetLight as it is.

#include "light_eval.h"

#include <windows.h>
#include <d3d8.h>

#include <cstddef>

#define NL_SAME_FIELD(ours, theirs)                                                                \
    static_assert(offsetof(LightRecord, ours) == offsetof(D3DLIGHT8, theirs),                      \
                  #ours " sits where " #theirs " does")

static_assert(sizeof(LightRecord) == sizeof(D3DLIGHT8), "LightRecord mirrors D3DLIGHT8");
static_assert(sizeof(LightColor) == sizeof(D3DCOLORVALUE), "LightColor mirrors D3DCOLORVALUE");
static_assert(sizeof(LightVector) == sizeof(D3DVECTOR), "LightVector mirrors D3DVECTOR");
static_assert(sizeof(int32_t) == sizeof(D3DLIGHTTYPE), "the light type is 32 bits wide");
NL_SAME_FIELD(type, Type);
NL_SAME_FIELD(diffuse, Diffuse);
NL_SAME_FIELD(specular, Specular);
NL_SAME_FIELD(ambient, Ambient);
NL_SAME_FIELD(position, Position);
NL_SAME_FIELD(direction, Direction);
NL_SAME_FIELD(range, Range);
NL_SAME_FIELD(falloff, Falloff);
NL_SAME_FIELD(attenuation0, Attenuation0);
NL_SAME_FIELD(attenuation1, Attenuation1);
NL_SAME_FIELD(attenuation2, Attenuation2);
NL_SAME_FIELD(theta, Theta);
NL_SAME_FIELD(phi, Phi);
static_assert(offsetof(LightColor, a) == offsetof(D3DCOLORVALUE, a), "colour channels in order");
static_assert(offsetof(LightVector, z) == offsetof(D3DVECTOR, z), "vector components in order");
static_assert(int32_t(LIGHTRECORD_POINT) == int32_t(D3DLIGHT_POINT), "point light type");
static_assert(int32_t(LIGHTRECORD_SPOT) == int32_t(D3DLIGHT_SPOT), "spot light type");
static_assert(int32_t(LIGHTRECORD_DIRECTIONAL) == int32_t(D3DLIGHT_DIRECTIONAL),
              "directional light type");
