// SPDX-License-Identifier: MIT
// The module's encoding as served by the CDN and as kept in the cache. Each
// scrambled byte is c[k] = p[k] + 3k + p[k+1] (the last one c[n-1] = p[n-1] +
// 3(n-1)), all modulo 256; buffers shorter than two bytes are stored as is.
// Pure functions over caller-owned memory; reentrant, any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vigilor::acquisition {

// Turns the scrambled bytes into the module's plain bytes, in place.
void DescrambleModule(std::span<std::uint8_t> bytes);

// The inverse of DescrambleModule, in place: what the CDN serves for a module.
void ScrambleModule(std::span<std::uint8_t> bytes);

// Part of the scrambled form of plain, without changing plain: out receives
// scrambled bytes offset .. offset + out.size() - 1, which must lie within
// plain. Lets a writer produce the scrambled file piece by piece.
void ScrambleModuleRange(std::span<const std::uint8_t> plain, std::size_t offset, std::span<std::uint8_t> out);

}  // namespace vigilor::acquisition
