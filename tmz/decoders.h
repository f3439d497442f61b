#pragma once
// The decoders behind openDecoder, one file each.

#include "decoder.h"

std::unique_ptr<Decoder> openModule(const void* data, size_t size);
std::unique_ptr<Decoder> openMp3(const void* data, size_t size);
