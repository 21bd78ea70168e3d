// DComPerm's failure read out of what it printed, in the shapes the tool
// and the consoles and pipes between give it.

#include <gtest/gtest.h>

#include "setup/DComPermOutput.h"

using namespace varnel;
using namespace varnel::setup;

TEST(DComPermFailure, TheErrorLineAndTheSystemsMessageAfterIt) {
  EXPECT_EQ(DComPermFailure(u"ERROR: Cannot set RunAs password.\r\n"
                            u"El nombre de usuario o la contraseña no son correctos.\r\n"),
            u"ERROR: Cannot set RunAs password. El nombre de usuario o la contraseña no son "
            u"correctos.");
  // Text before it, blank lines between, bare "\n" or "\r" line ends, blanks around.
  EXPECT_EQ(DComPermFailure(u"Setting RunAs...\n  ERROR: Cannot set RunAs password.  \n\n \t\n"
                            u"  Access is denied.\n\nPress any key"),
            u"ERROR: Cannot set RunAs password. Access is denied.");
  EXPECT_EQ(DComPermFailure(u"error: cannot open AppID registry key.\rThe system cannot find "
                            u"the file specified."),
            u"error: cannot open AppID registry key. The system cannot find the file specified.");
}

TEST(DComPermFailure, OnlyTheFirstErrorAndNothingWithoutOne) {
  EXPECT_EQ(
      DComPermFailure(u"ERROR: Cannot open AppID registry key.\r\n"
                      u"ERROR: Cannot set RunAs registry value (5).\r\nAccess is denied.\r\n"),
      u"ERROR: Cannot open AppID registry key.");
  EXPECT_EQ(DComPermFailure(u"ERROR: Cannot set RunAs password.\r\n\r\n"),
            u"ERROR: Cannot set RunAs password.");
  EXPECT_EQ(DComPermFailure(u""), u"");
  EXPECT_EQ(DComPermFailure(u"The password of the account is not stored by this tool.\r\n"), u"");
  EXPECT_EQ(DComPermFailure(u"Syntax: dcomperm <option> [...]\nNO ERROR: here\n"), u"");
}
