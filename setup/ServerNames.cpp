#include "setup/ServerNames.h"

namespace varnel::setup {

String BaseName(StringView path) {
  const std::size_t cut = path.find_last_of(u"\\:");
  const StringView name = cut == StringView::npos ? path : path.substr(cut + 1);
  const std::size_t dot = name.find(u'.');
  return dot == StringView::npos ? String() : String(name.substr(0, dot));
}

String ProgIdFor(StringView base) { return String(base) + u"." + String(base) + u"DMR"; }

}  // namespace varnel::setup
