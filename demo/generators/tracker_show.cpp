#include "tracker_show.h"

#include "tracker_it.h"
#include "tracker_mod.h"
#include "tracker_xm.h"

namespace tracker {
namespace tunes {

const TuneFile kShowTunes[4] = {
    {"music.mod", opening, writeMod},
    {"forge.xm", forge, writeXm},
    {"storm.it", storm, writeIt},
    {"coda.mod", coda, writeMod},
};

} // namespace tunes
} // namespace tracker
