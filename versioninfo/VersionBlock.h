#pragma once
// Lookup in a version block, the VS_VERSIONINFO tree a version resource
// holds, without the platform's version interface. Every node is
//   WORD wLength; WORD wValueLength; WORD wType; WCHAR szKey[] (NUL ended);
//   padding to 32 bits; Value; padding to 32 bits; Children
// with offsets aligned relative to the start of the block. wValueLength
// counts bytes for binary values (wType 0) and UTF-16 units for text values
// (wType 1).
//
// The walker trusts no length: each node must lie inside its parent, each
// key must end inside its node, a value is clipped to its node. A broken
// node is simply not found, so no input, however malformed, makes it read
// outside `block`.

#include <cstddef>
#include <span>

#include "platform/VersionSource.h"
#include "runtime/String.h"

namespace varnel::versioninfo {

// Looks up `subBlock` in the block as VerQueryValueW does: components are
// separated by backslashes, empty components are skipped (so "\" is the
// root and a trailing backslash does no harm), keys match exactly as
// spelled. On success `value` holds the node's value bytes (clipped to the
// node) and its wValueLength; on failure `value` is left alone.
bool VerQueryValueBlock(std::span<const std::byte> block, StringView subBlock, VersionValue& value);

}  // namespace varnel::versioninfo
