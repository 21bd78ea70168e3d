// libFuzzer entry for the quoting of the identity's user name and password:
// whatever the two texts hold (NUL aside: a command line cannot carry one),
// the tail the identity command is started with must split back into
// exactly the four words we meant.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/FuzzText.h"
#include "fuzz/SplitArguments.h"
#include "setup/CommandLine.h"

using varnel::String;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  String user;
  String password;
  varnel::fuzz::SplitAtNul(varnel::fuzz::TextFromBytes(std::span<const std::uint8_t>(data, size)),
                           user, password);

  // A text that needs no quoting must pass through untouched.
  for (const String* text : {&user, &password}) {
    if (!varnel::setup::ArgumentNeedsQuoting(*text) && varnel::setup::QuoteArgument(*text) != *text)
      __builtin_trap();
  }

  String line = u" -runas {G} ";
  line += varnel::setup::QuoteArgument(user);
  line += u' ';
  line += varnel::setup::QuoteArgument(password);
  const std::vector<String> words = varnel::fuzz::SplitArguments(line);
  const std::vector<String> expected = {u"-runas", u"{G}", user, password};
  if (words != expected) __builtin_trap();
  return 0;
}
