#pragma once
// The spot texture of a light that casts shadows through a shadow map: the
// light's cone as the shadow pass sees it, projected with the light.

#include "spot_pictures.h"

#include <memory>

class LWLight;
class Texture;

// The light's intensity, cone, soft edge and colour at time 0; animated
// ones are evaluated and keep the value they had there. The cone is the
// light's coneAngle (the half-angle its shadow map spans) and the edge its
// edgeAngle (the width of the soft rim inside it).
SpotParameters lightSpotParameters(LWLight& light);

// For a light with shadow type SHADOW_MAP: a new spot texture on the light's
// device context, owned by the caller (the light keeps it in spotTexture).
// Other lights get none (null).
std::unique_ptr<Texture> makeLightSpotTexture(LWLight& light);
