// Item motion: rotation with the heading and pitch controllers, world
// matrices from pivot, scale, rotation, pivot rotation and position under
// the parent's, and cameras, which build their view matrix directly (with
// the eye offset of a stereo pass) and derive their world matrix from it.

#include "items.h"

#include <algorithm>

#include "app/device_context_base.h"
#include "mesh_data.h"
#include "effects/particle_settings.h"
#include "images/texture.h"
#include "timeline/profiler.h"

#include <cmath>
#include <cstdlib>

namespace {

int gNextItemId = 0;

// Times the outermost matrix call of each kind under its profiler label (a
// parent's matrix computed on the way is part of the child's time). Nothing
// is recorded while the profiler has no such section (tools, tests).
class MatrixTimer {
public:
    explicit MatrixTimer(int section) : section(section) {
        if (depth(section)++ == 0) start = Profiler::readCounter();
    }
    ~MatrixTimer() {
        if (--depth(section) == 0 && profiler().all().size() > size_t(section))
            profiler().record(section, Profiler::readCounter() - start);
    }
    MatrixTimer(const MatrixTimer&) = delete;
    MatrixTimer& operator=(const MatrixTimer&) = delete;

private:
    static int& depth(int section) {
        static int depths[2] = {0, 0};
        return depths[section == PROFILE_GET_MATRIX ? 0 : 1];
    }
    int section;
    uint64_t start = 0;
};

} // namespace

LWItem::LWItem(DeviceContextBase* context) : context(context), id(gNextItemId++) {
    for (int i = CHANNEL_SCALE_X; i <= CHANNEL_SCALE_Z; ++i) channels[i].value = 1.0f;
}

namespace {

// A projection with a lens: x and y scaled, w = z.
Matrix4 lensProjection(float scaleX, float scaleY) {
    Matrix4 m = {};
    m.m[0][0] = scaleX;
    m.m[1][1] = scaleY;
    m.m[2][2] = 1;
    m.m[2][3] = 1;
    return m;
}

} // namespace

void LWItem::setupProjection(double time, float nearDistance, float farDistance) {
    if (!projectionValid) computeProjection(time);
    const float n = std::max(nearDistance - 1e-6f, minNear);
    const float f = std::max(farDistance, n) + 1e-6f;
    projection.m[2][2] = f / (f - n);
    projection.m[3][2] = -n * f / (f - n);
    pmXYZWcalced = 1;
    if (context && (kind == ITEM_CAMERA || kind == ITEM_LIGHT)) {
        // The stereo state's focal distance (third float, copied into the
        // second by each eye pass) and the near plane (fourth).
        context->stereoParams[2] = std::max(3.75f, std::min(f - n, 1.0f) * (f / 3 - 3.75f) + 3.75f);
        context->stereoParams[3] = n;
    }
}

bool LWItem::pointInView(const Vec4& p) {
    return p.w >= minNear && p.x >= -p.w && p.x <= p.w && p.y >= -p.w && p.y <= p.w;
}

bool LWItem::boxInView(const Vec4 corners[8]) {
    bool front = false, left = false, right = false, bottom = false, top = false;
    for (int i = 0; i < 8; ++i) {
        const Vec4& c = corners[i];
        front = front || c.w >= minNear;
        left = left || c.x >= -c.w;
        right = right || c.x <= c.w;
        bottom = bottom || c.y >= -c.w;
        top = top || c.y <= c.w;
    }
    return front && left && right && bottom && top;
}
void LWItem::initViewport() {
    viewport = LWViewport{};
}

void LWItem::computeProjection(double) {
    projection = Matrix4::identity();
    projectionValid = 1;
}

bool LWItem::invalidate() {
    worldValid = inverseValid = projectionValid = pmXYZWcalced = 0;
    return false;
}

void LWItem::getRotation(double t, float out[3]) {
    const float X = channels[CHANNEL_X].evaluate(t), Y = channels[CHANNEL_Y].evaluate(t),
                Z = channels[CHANNEL_Z].evaluate(t);
    const float H = channels[CHANNEL_HEADING].evaluate(t);
    const float P = channels[CHANNEL_PITCH].evaluate(t);
    const float B = channels[CHANNEL_BANK].evaluate(t);

    float targetPosition[3] = {0, 0, 0};
    const bool aimed =
        (headingController == CONTROLLER_TARGET || pitchController == CONTROLLER_TARGET) && target;
    if (aimed) {
        if (!target->worldValid) target->getMatrix(t);
        transformPoint(target->world, target->pivotPosition, targetPosition);
    }
    // Along the path: where the channels place the item a little later. The
    // look-ahead evaluation must not leave the channels at the later time.
    float ahead[3] = {X, Y, Z};
    if (headingController == CONTROLLER_PATH || pitchController == CONTROLLER_PATH) {
        const double later = t + pathAlignLookAhead;
        for (int i = 0; i < 3; ++i) ahead[i] = channels[i].evaluate(later);
        for (int i = 0; i < 3; ++i) channels[i].evaluate(t);
    }

    float h = H, p = P;
    if (headingController == CONTROLLER_TARGET && target)
        h = std::atan2(targetPosition[0] - X, targetPosition[2] - Z);
    else if (headingController == CONTROLLER_PATH)
        h = std::atan2(ahead[0] - X, ahead[2] - Z);
    if (pitchController == CONTROLLER_TARGET && target) {
        const float dx = targetPosition[0] - X, dz = targetPosition[2] - Z;
        p = -std::atan2(targetPosition[1] - Y, std::sqrt(dz * dz + dx * dx));
    } else if (pitchController == CONTROLLER_PATH) {
        const float dx = ahead[0] - X, dz = ahead[2] - Z;
        p = -std::atan2(ahead[1] - Y, std::sqrt(dz * dz + dx * dx));
    }
    out[0] = -p;
    out[1] = h;
    out[2] = -B;
}

Matrix4 LWItem::localMatrix(double t) {
    float r[3];
    getRotation(t, r);
    const float p = -r[0], h = r[1], b = -r[2];
    Matrix4 m = Matrix4::translation(-pivotPosition[0], -pivotPosition[1], -pivotPosition[2]);
    m = affineMultiply(m, Matrix4::scaling(channels[CHANNEL_SCALE_X].evaluate(t),
                                            channels[CHANNEL_SCALE_Y].evaluate(t),
                                            channels[CHANNEL_SCALE_Z].evaluate(t)));
    m = affineMultiply(m, Matrix4::rotationZ(b));
    m = affineMultiply(m, Matrix4::rotationX(p));
    m = affineMultiply(m, Matrix4::rotationY(h));
    m = affineMultiply(m, Matrix4::rotationZ(pivotRotation[2]));
    m = affineMultiply(m, Matrix4::rotationX(pivotRotation[0]));
    m = affineMultiply(m, Matrix4::rotationY(pivotRotation[1]));
    m = affineMultiply(m, Matrix4::translation(channels[CHANNEL_X].evaluate(t),
                                                channels[CHANNEL_Y].evaluate(t),
                                                channels[CHANNEL_Z].evaluate(t)));
    return m;
}

void LWItem::getMatrix(double t) {
    if (computing) return;
    MatrixTimer timer(PROFILE_GET_MATRIX);
    computing = true;
    Matrix4 local = localMatrix(t);
    if (parent) {
        if (!parent->worldValid) parent->getMatrix(t);
        world = affineMultiply(local, parent->world);
    } else {
        world = local;
    }
    worldValid = 1;
    computing = false;
}

void LWItem::getInvMatrix(double t) {
    MatrixTimer timer(PROFILE_GET_INV_MATRIX);
    if (!worldValid) getMatrix(t);
    inverseWorld = affineInverse(world);
    inverseValid = 1;
}

LWObject::LWObject(DeviceContextBase* context) : LWItem(context) {
    kind = ITEM_OBJECT;
}

LWObject::~LWObject() {
    delete volumetric;
}

bool LWObject::invalidate() {
    LWItem::invalidate();
    return layer ? layer->invalidate() : false;
}

LWLight::LWLight(DeviceContextBase* context) : LWItem(context) {
    kind = ITEM_LIGHT;
    minNear = 1.0f / 256;
    flickerPeriod = (std::rand() % 2 == 0) ? 1.7391304f : 1.3043478f;
}

LWLight::~LWLight() {
    if (releaseShadowTargets) releaseShadowTargets(*this);
    if (destroyLensFlare && lensFlareObject) destroyLensFlare(lensFlareObject);
}

void LWLight::computeProjection(double t) {
    const float c = 1.0f / std::tan(coneAngle.evaluate(t));
    projection = lensProjection(0.75f * c, c);
    projectionValid = 1;
}

void LWLight::initViewport() {
    viewport = LWViewport{};
    viewport.width = viewport.height = shadowMapSize;
}

void LWCamera::computeProjection(double t) {
    const int mode = context ? context->fovMode : 0;
    const float z = mode == 1 ? 2.0f : mode == 2 ? 1.0f : zoomFactor.evaluate(t);
    projection = lensProjection(0.75f * z, z);
    if (context) {
        const float* s = context->stereoParams;
        const float shift = s[1] != 0 ? s[0] * eyeSeparation * 0.75f * z / s[1] : 0.0f;
        switch (context->eye) {
        case 0:
            projection.m[2][0] = -shift;
            break;
        case 1:
            projection.m[2][0] = shift;
            break;
        case 2:
            projection.m[2][0] = 1.0f;
            break;
        case 3:
            projection.m[2][0] = -1.0f;
            break;
        default:
            break;
        }
    }
    projectionValid = 1;
}

void LWCamera::initViewport() {
    viewport = LWViewport{};
    if (context) {
        viewport.width = context->screenWidth;
        viewport.height = context->screenHeight;
    }
}

LWCamera::LWCamera(DeviceContextBase* context) : LWItem(context) {
    kind = ITEM_CAMERA;
}

void LWCamera::getInvMatrix(double t) {
    if (computing) return;
    MatrixTimer timer(PROFILE_GET_INV_MATRIX);
    computing = true;
    float r[3];
    getRotation(t, r);
    const float p = -r[0], h = r[1], b = -r[2];
    Matrix4 view =
        Matrix4::translation(-channels[CHANNEL_X].evaluate(t), -channels[CHANNEL_Y].evaluate(t),
                              -channels[CHANNEL_Z].evaluate(t));
    view = affineMultiply(view, Matrix4::rotationY(-h));
    view = affineMultiply(view, Matrix4::rotationX(-p));
    view = affineMultiply(view, Matrix4::rotationZ(-b));
    if (parent) {
        if (!parent->inverseValid) parent->getInvMatrix(t);
        inverseWorld = affineMultiply(parent->inverseWorld, view);
    } else {
        inverseWorld = view;
    }
    if (context && (context->eye == 0 || context->eye == 1)) {
        float s = context->stereoParams[0] * eyeSeparation;
        if (context->eye == 1) s = -s;
        inverseWorld = affineMultiply(inverseWorld, Matrix4::translation(s, 0, 0));
    }
    inverseValid = 1;
    computing = false;
}

void LWCamera::getMatrix(double t) {
    MatrixTimer timer(PROFILE_GET_MATRIX);
    if (!inverseValid) getInvMatrix(t);
    world = affineInverse(inverseWorld);
    worldValid = 1;
}
