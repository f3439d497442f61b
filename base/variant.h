#pragma once
// nightloom-prev is built from the same sources and libraries as nightloom:
// its program entry marks the process as the earlier build before anything
// else runs (NIGHTLOOM_PREV=1 on that entry only). Every behaviour that
// differs between the two programs asks isPrevBuild() in the one place where
// it applies. Tests may switch it to check the earlier behaviour.

bool isPrevBuild();
void setPrevBuild(bool prev);
