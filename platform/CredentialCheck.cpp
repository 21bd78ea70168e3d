#include "platform/CredentialCheck.h"

namespace varnel {

AccountParts SplitAccount(StringView account) {
  const std::size_t slash = account.find(u'\\');
  if (slash != StringView::npos)
    return AccountParts{String(account.substr(0, slash)), String(account.substr(slash + 1))};
  if (account.find(u'@') != StringView::npos) return AccountParts{std::nullopt, String(account)};
  return AccountParts{String(u"."), String(account)};
}

}  // namespace varnel
