// The author's loop: starting the show at any time, reloading the script
// and changed metascenes while it plays, and the corner overlay.

#include "demo_player.h"

#include "base/variant.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "files/recording_file.h"
#include "metascene_loader.h"
#include "render/metascene_render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The text of line `line` (1-based) of a script as written, for a report.
std::string scriptLine(VirtualFile* files, const std::string& name, int line) {
    if (!files || line < 1 || !files->openRead(name.c_str())) return "";
    uint32_t size = 0;
    uint8_t* data = readRemaining(*files, &size);
    files->close();
    if (!data) return "";
    std::string text;
    int at = 1;
    for (uint32_t i = 0; i < size && at <= line; ++i) {
        const char c = char(data[i]);
        if (c == '\n') {
            ++at;
        } else if (at == line && c != '\r') {
            text += c == '\t' ? ' ' : c;
        }
    }
    delete[] data;
    return text;
}

// The line number in a parse error's text ("scene.scr(12): ..."), or 0.
int errorLine(const std::string& error) {
    const size_t open = error.find('(');
    return open == std::string::npos ? 0 : std::atoi(error.c_str() + open + 1);
}

} // namespace

bool DemoPlayer::startAt(double seconds) {
    if (done || !music.sound) return false;
    if (!(seconds > 0)) seconds = 0;
    const double ms = std::floor(seconds * 1000.0);
    const int target = ms > 2147483647.0 ? 2147483647 : int(ms);
    music.cue = DemoMusic::Cue{};
    music.cueing = true;
    const int reached = timeline.seekTo(target, *this);
    // Hidden frames drawn on the way must not make the first frame one long
    // step: particles and streaks start afresh here.
    for (const std::unique_ptr<MetaScene>& meta : mts)
        if (meta) forgetSceneSteps(*meta);
    // Where a loop brought the clock round, it stands at the time reached.
    if (reached == target) timeline.time = timeline.previousTime = seconds;
    music.resume(timeline.time, archive.get());
    timeline.previousMusicPosition = float(music.position());
    return !done;
}

void DemoPlayer::passFrames(double seconds) {
    const double ends = effect.start + effect.duration;
    if (!stepEffect(effect, seconds).crossFadeEnded) return;
    // The scene stops drawing into its texture as the cross-fade ends;
    // surfaces that show the texture keep the picture drawn then.
    drawHiddenFrame(std::min(seconds, ends));
    endCrossFade();
}

void DemoPlayer::drawHiddenFrame(double seconds) {
    if (!current || !context.device) return;
    selectPass(0, true);
    context.device->SetRenderState(D3DRS_COLORWRITEENABLE, DWORD(COLOR_WRITE_ALL));
    renderMetaScene(*current, context, seconds, true, isPrevBuild(), drawScene);
}

std::unique_ptr<MetaScene> DemoPlayer::loadMeta(const ScriptEvent& e) {
    const bool binary = e.id == EV_LOADMETA;
    const char* name = e.args[0].word;
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        MetaScene& meta = **it;
        const auto stamp = std::find_if(loadStamps.begin(), loadStamps.end(),
                                        [&](const LoadStamp& s) { return s.meta == &meta; });
        if (meta.name != name || stamp == loadStamps.end() || stamp->binary != binary) continue;
        // As its load left it: the script replays from the start.
        for (auto r = replaced.rbegin(); r != replaced.rend(); ++r)
            if (r->meta == &meta) r->layer->texture = r->texture;
        forgetReplaced(&meta);
        rewindMetaScene(meta);
        std::unique_ptr<MetaScene> reused = std::move(*it);
        kept.erase(it);
        ++metascenesKept;
        return reused;
    }
    // Every file the load reads or looks for is noted (and stamped after),
    // also those it did not find: adding one is a change too.
    auto names = std::make_shared<RecordingFile::Names>();
    RecordingFile files(*archive, names);
    std::unique_ptr<MetaScene> meta;
    if (binary) {
        meta = loadBinaryMetascene(&context, &files, name);
    } else {
        showProgress(0, this);
        meta = loadMetascript(&context, &files, name, showProgress, this);
    }
    if (meta) stampFiles(*meta, binary, *names);
    ++metascenesRead;
    return meta;
}

void DemoPlayer::stampFiles(const MetaScene& meta, bool binary,
                            const std::vector<std::string>& names) {
    LoadStamp stamp{&meta, binary, {}};
    for (const std::string& file : names)
        stamp.files.emplace_back(file, archive->stampOf(file.c_str()));
    loadStamps.push_back(std::move(stamp));
}

bool DemoPlayer::filesUnchanged(const MetaScene& meta) {
    for (const LoadStamp& stamp : loadStamps) {
        if (stamp.meta != &meta) continue;
        for (const auto& file : stamp.files)
            if (archive->stampOf(file.first.c_str()) != file.second) return false;
        return true;
    }
    return false;
}

bool DemoPlayer::reload() {
    if (done || !music.sound) return false;
    const double at = timeline.time;
    // A packed show that was packed anew is opened anew: the old directory
    // no longer matches the file, and everything read from it counts as
    // changed (its stamp is the archive's).
    if (archive->archiveStamp() != archiveStampAtOpen) {
        auto reopened = std::make_unique<ArchiveFile>(diskPrototype);
        reopened->openArchive(archiveName.c_str());
        reopened->looseFirst = looseFilesFirst;
        archiveStampAtOpen = reopened->archiveStamp();
        // The running script's words live in the old tokenizer, not in the
        // archive, so the swap is safe whatever happens below.
        archive = std::move(reopened);
    }
    auto fresh = std::make_unique<TextTokenizer>(archive.get());
    std::vector<ScriptEvent> events;
    if (!fresh->load(scriptName.c_str())) {
        notice = "reload: cannot read " + scriptName + "; the old script goes on";
        return false;
    }
    std::string error;
    if (!parseScript(*fresh, events, &error)) {
        const std::string line = scriptLine(archive.get(), scriptName, errorLine(error));
        notice = "reload: " + error + " (the old script goes on)";
        if (!line.empty()) notice += "\n  > " + line;
        return false;
    }

    // Nothing of the old run may be drawn or referred to from here on.
    current = nullptr;
    effect = ScreenEffect{};
    unbindTextureStages(context);
    // The sound as at the show's start: no tune, no stopped clock.
    music.sound.reset();
    music.sound = makeSoundSystem();
    music.handle = 0;
    metascenesKept = metascenesRead = 0;
    for (std::unique_ptr<MetaScene>& meta : mts) {
        if (!meta) continue;
        if (filesUnchanged(*meta))
            kept.push_back(std::move(meta));
        else
            destroyMeta(meta);
    }
    mts.clear();

    // The script's switches start as at the show's start; the viewer's own
    // (free flight, wireframe, speed) stay as the viewer left them.
    context.fovMode = 0;
    context.lightFalloff = false;
    context.lightFlash = false;
    cameraBank = 0;
    const int speed = timeline.speed;
    const bool loop = timeline.loop;
    timeline = DemoTimeline{};
    timeline.speed = speed;
    timeline.loop = loop;
    timeline.events = std::move(events);
    tokenizer = std::move(fresh);

    startAt(at);
    // Kept metascenes the new script no longer loads before this time.
    for (std::unique_ptr<MetaScene>& meta : kept) destroyMeta(meta);
    kept.clear();
    char text[160];
    std::snprintf(text, sizeof text, "reloaded %s at %s: %d metascene(s) kept, %d read",
                  scriptName.c_str(), formatScriptTime(int(std::floor(at * 1000))).c_str(),
                  metascenesKept, metascenesRead);
    notice = text;
    return true;
}

std::vector<std::string> DemoPlayer::overlayText() const {
    OverlayState s;
    s.demoTime = timeline.time;
    s.haveMusic = music.sound != nullptr && (music.handle != 0 || !music.cue.name.empty());
    s.musicPosition = music.sound ? music.sound->position(music.handle) : 0;
    const int pc = timeline.programCounter;
    const int count = int(timeline.events.size());
    s.last = pc > 0 && pc <= count ? &timeline.events[size_t(pc - 1)] : nullptr;
    s.next = pc >= 0 && pc < count ? &timeline.events[size_t(pc)] : nullptr;
    s.framesPerSecond = frameRate.perSecond();
    if (current) {
        s.metaScene = current->name;
        for (const std::unique_ptr<LW6Scene>& scene : current->scenes) {
            const double sceneTime = scene->hold ? scene->startTime : timeline.time - scene->startTime;
            s.scenes.push_back(OverlayScene{scene->fileName, scene->active, scene->hold, sceneTime});
        }
    }
    // A reload error's second line quotes the script line.
    const size_t split = notice.find('\n');
    s.notice = notice.substr(0, split);
    std::vector<std::string> lines = overlayLines(s);
    if (split != std::string::npos && !lines.empty()) {
        std::string quoted = notice.substr(split + 1);
        if (quoted.size() > size_t(OVERLAY_MAX_COLUMNS))
            quoted = quoted.substr(0, size_t(OVERLAY_MAX_COLUMNS) - 3) + "...";
        lines.insert(lines.begin() + 1, quoted);
    }
    return lines;
}

void DemoPlayer::drawOverlay() {
    // The main window only; the second output shows the show alone.
    if (context.currentOutput != 0 || !context.device) return;
    if (overlays.empty()) {
        auto overlay = std::make_unique<TextOverlay>();
        if (!overlay->create(context.device)) return;
        overlays.push_back(std::move(overlay));
    }
    context.device->SetRenderState(D3DRS_COLORWRITEENABLE, DWORD(COLOR_WRITE_ALL));
    overlays[0]->draw(context.device, overlayText(), 8, 8);
    context.device->SetRenderState(D3DRS_COLORWRITEENABLE, DWORD(context.colorWriteMask));
}
