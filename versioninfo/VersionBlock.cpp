#include "versioninfo/VersionBlock.h"

#include <algorithm>

#include "versioninfo/LittleEndian.h"

namespace varnel::versioninfo {
namespace {

constexpr std::size_t kHeaderSize = 6;  // wLength, wValueLength, wType
constexpr std::uint16_t kTextType = 1;

constexpr std::size_t Align4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

struct Node {
  std::size_t end = 0;  // one past the node's last byte
  std::size_t keyBegin = 0;
  std::size_t keyUnits = 0;  // without the NUL
  std::size_t valueBegin = 0;
  std::size_t valueBytes = 0;
  std::uint16_t valueLength = 0;  // as stored
  std::size_t childrenBegin = 0;
};

// Reads the node at `offset`, which must lie wholly before `limit` (the end
// of its parent). False when the node is broken.
bool ReadNode(const ByteReader& bytes, std::size_t offset, std::size_t limit, Node& node) {
  if (offset > limit || limit - offset < kHeaderSize) return false;
  const std::size_t length = bytes.U16(offset);
  if (length < kHeaderSize || length > limit - offset) return false;
  node.end = offset + length;
  node.valueLength = bytes.U16(offset + 2);
  const std::uint16_t type = bytes.U16(offset + 4);

  node.keyBegin = offset + kHeaderSize;
  std::size_t at = node.keyBegin;
  while (true) {
    if (node.end - at < 2) return false;  // the key has no terminator inside the node
    if (bytes.U16(at) == 0) break;
    at += 2;
  }
  node.keyUnits = (at - node.keyBegin) / 2;

  node.valueBegin = std::min(Align4(at + 2), node.end);
  const std::size_t declared =
      type == kTextType ? std::size_t{node.valueLength} * 2 : std::size_t{node.valueLength};
  node.valueBytes = std::min(declared, node.end - node.valueBegin);
  node.childrenBegin = Align4(node.valueBegin + node.valueBytes);
  return true;
}

bool KeyIs(const ByteReader& bytes, const Node& node, StringView name) {
  if (node.keyUnits != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (bytes.U16(node.keyBegin + 2 * i) != name[i]) return false;
  }
  return true;
}

// Replaces `node` by its child called `name`. The siblings are walked in
// order; a broken child ends the walk, since nothing after it can be
// located.
bool FindChild(const ByteReader& bytes, Node& node, StringView name) {
  std::size_t at = node.childrenBegin;
  while (at < node.end) {
    Node child;
    if (!ReadNode(bytes, at, node.end, child)) return false;
    if (KeyIs(bytes, child, name)) {
      node = child;
      return true;
    }
    at = Align4(child.end);  // child.end > at: every step moves on
  }
  return false;
}

}  // namespace

bool VerQueryValueBlock(std::span<const std::byte> block, StringView subBlock,
                        VersionValue& value) {
  const ByteReader bytes(block);
  Node node;
  if (!ReadNode(bytes, 0, bytes.size(), node)) return false;
  std::size_t at = 0;
  while (at < subBlock.size()) {
    if (subBlock[at] == u'\\') {
      ++at;
      continue;
    }
    std::size_t next = subBlock.find(u'\\', at);
    if (next == StringView::npos) next = subBlock.size();
    if (!FindChild(bytes, node, subBlock.substr(at, next - at))) return false;
    at = next;
  }
  value.data = block.subspan(node.valueBegin, node.valueBytes);
  value.length = node.valueLength;
  return true;
}

}  // namespace varnel::versioninfo
