#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <typeinfo>
#include <vector>

#include "components/GuidText.h"
#include "components/USDCOMConnection.h"
#include "native/support/TableClassRegistry.h"
#include "runtime/Exceptions.h"

using namespace varnel;
using namespace varnel::components;

namespace {

const Guid kAlfa{0x1234ABCD, 0x00EF, 0x4A5B, {0xC0, 0xFF, 0xEE, 0x01, 0x02, 0x03, 0x04, 0x05}};
const Guid kBeta{0x0BADF00D, 0x1111, 0x2222, {0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA}};
const String kAlfaText = u"{1234ABCD-00EF-4A5B-C0FF-EE0102030405}";
const String kBetaText = u"{0BADF00D-1111-2222-3344-5566778899AA}";

// A server object that notes its life in a shared log.
class FakeServer final : public IServerObject {
 public:
  explicit FakeServer(std::vector<std::string>& log) : log_(log) { log_.push_back("create"); }
  ~FakeServer() override { log_.push_back("release"); }

 private:
  std::vector<std::string>& log_;
};

class RecordingClient final : public IConnectionClient {
 public:
  RecordingClient(std::vector<std::string>& log) : log_(log) {}
  void ConnectChange(TConnection& sender, bool connecting) override {
    log_.push_back(std::string(connecting ? "client connect" : "client disconnect") +
                   (sender.Connected() ? " (connected)" : " (not connected)"));
  }

 private:
  std::vector<std::string>& log_;
};

class DcomTest : public ::testing::Test {
 protected:
  DcomTest() : dcom(nullptr, registry) {
    dcom.SetName(u"DCOM");
    registry.Register(u"Alfa.AlfaDMR", kAlfa, [this] { return std::make_shared<FakeServer>(log); });
    registry.Register(u"Beta.BetaDMR", kBeta);  // known, but its server never starts
    registry.SetErrorText(kCO_E_CLASSSTRING, u"Invalid class string");
    registry.SetErrorText(kREGDB_E_CLASSNOTREG, u"Class not registered");
  }

  // The message of the exception the connect raises, with its kind checked.
  String ConnectFailure() {
    try {
      dcom.SetConnected(true);
    } catch (const EOleSysError&) {
      ADD_FAILURE() << "the component's own setter must not let the OLE kind through";
    } catch (const Exception& e) {
      EXPECT_EQ(typeid(e), typeid(Exception));
      return e.Message();
    }
    ADD_FAILURE() << "the connect did not fail";
    return String();
  }

  // Declared first so that server objects freed with the component can still write to it.
  std::vector<std::string> log;
  TableClassRegistry registry;
  SDCOMConnection dcom;
};

// ---- writing ServerName, reading ServerGUID ---------------------------------

TEST_F(DcomTest, RegisteredNameReadsAsItsBracedUpperCaseIdentifier) {
  dcom.SetServerName(u"Alfa.AlfaDMR");
  EXPECT_EQ(dcom.ServerGUID(), kAlfaText);
  EXPECT_EQ(dcom.ServerName(), u"Alfa.AlfaDMR");
  // The registry finds names without regard to case; the stored name keeps its own.
  dcom.SetServerName(u"ALFA.alfadmr");
  EXPECT_EQ(dcom.ServerGUID(), kAlfaText);
  EXPECT_EQ(dcom.ServerName(), u"ALFA.alfadmr");
}

TEST_F(DcomTest, SameNameTwiceMakesOneLookupAndMissesALaterRegistration) {
  dcom.SetServerName(u"Gama.GamaDMR");
  EXPECT_EQ(registry.NameLookups(), 1);
  EXPECT_EQ(dcom.ServerGUID(), u"");
  registry.Register(u"Gama.GamaDMR", kBeta);
  dcom.SetServerName(u"Gama.GamaDMR");
  EXPECT_EQ(registry.NameLookups(), 1);
  EXPECT_EQ(dcom.ServerGUID(), u"");
  // A name that differs only in letter case is a different name.
  dcom.SetServerName(u"gama.gamadmr");
  EXPECT_EQ(registry.NameLookups(), 2);
  EXPECT_EQ(dcom.ServerGUID(), kBetaText);
}

TEST_F(DcomTest, UnregisteredNameAfterARegisteredOneReadsEmpty) {
  dcom.SetServerName(u"Alfa.AlfaDMR");
  ASSERT_EQ(dcom.ServerGUID(), kAlfaText);
  dcom.SetServerName(u"Nadie.NadieDMR");
  EXPECT_EQ(dcom.ServerGUID(), u"");
  EXPECT_EQ(dcom.ServerName(), u"Nadie.NadieDMR");
  EXPECT_EQ(registry.TextOfCalls(), 1);  // an empty read asks nothing
}

TEST_F(DcomTest, IdentifierWithZeroLeadingPartsReadsEmptyWhateverItsLastBytes) {
  dcom.SetServerGUID(u"{00000000-0000-0000-C000-000000000046}");
  EXPECT_EQ(dcom.ServerGUID(), u"");
  dcom.SetServerGUIDNet(u"{00000000-0000-0000-C000-000000000046}");
  EXPECT_EQ(dcom.ServerGUIDNet(), u"");
  // Any one of the three leading parts makes it show.
  dcom.SetServerGUIDNet(u"{00000000-0000-0001-0000-000000000000}");
  EXPECT_EQ(dcom.ServerGUIDNet(), u"{00000000-0000-0001-0000-000000000000}");
  dcom.SetServerGUID(u"{00000000-0001-0000-0000-000000000000}");
  EXPECT_EQ(dcom.ServerGUID(), u"{00000000-0001-0000-0000-000000000000}");
}

TEST_F(DcomTest, PlatformFailureToMakeTheTextRaisesOleError) {
  dcom.SetServerName(u"Alfa.AlfaDMR");
  registry.FailTextOf(static_cast<std::int32_t>(0x8007000Eu));
  try {
    (void)dcom.ServerGUID();
    FAIL() << "no exception";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode, static_cast<std::int32_t>(0x8007000Eu));
    EXPECT_EQ(e.Message(), u"OLE error 8007000E");
  }
}

// ---- the two pairs -----------------------------------------------------------

TEST_F(DcomTest, TheTwoPairsAreIndependent) {
  dcom.SetServerName(u"Alfa.AlfaDMR");
  EXPECT_EQ(dcom.ServerNameNet(), u"");
  EXPECT_EQ(dcom.ServerGUIDNet(), u"");
  dcom.SetServerNameNet(u"Beta.BetaDMR");
  EXPECT_EQ(dcom.ServerGUIDNet(), kBetaText);
  EXPECT_EQ(dcom.ServerName(), u"Alfa.AlfaDMR");
  EXPECT_EQ(dcom.ServerGUID(), kAlfaText);
  dcom.SetServerGUIDNet(u"");
  EXPECT_EQ(dcom.ServerGUIDNet(), u"");
  EXPECT_EQ(dcom.ServerNameNet(), u"Beta.BetaDMR");  // clearing keeps the name
  EXPECT_EQ(dcom.ServerGUID(), kAlfaText);
  dcom.SetServerGUID(u"");
  EXPECT_EQ(dcom.ServerGUID(), u"");
  EXPECT_EQ(dcom.ServerName(), u"Alfa.AlfaDMR");
  dcom.SetPublicKeyToken(u"b77a5c561934e089");
  EXPECT_EQ(dcom.PublicKeyToken(), u"b77a5c561934e089");
}

TEST_F(DcomTest, ServerGUIDTextFindsTheNameBack) {
  dcom.SetServerGUID(u"{0badf00d-1111-2222-3344-5566778899aa}");
  EXPECT_EQ(dcom.ServerName(), u"Beta.BetaDMR");
  EXPECT_EQ(dcom.ServerGUID(), kBetaText);
  EXPECT_EQ(registry.NameLookups(), 0);  // the name is stored, not looked up
  // An identifier nobody registered keeps the last name.
  dcom.SetServerGUID(u"{99999999-1111-2222-3344-5566778899AA}");
  EXPECT_EQ(dcom.ServerName(), u"Beta.BetaDMR");
  EXPECT_EQ(dcom.ServerGUID(), u"{99999999-1111-2222-3344-5566778899AA}");
  dcom.SetServerGUIDNet(kAlfaText);
  EXPECT_EQ(dcom.ServerNameNet(), u"Alfa.AlfaDMR");
}

TEST_F(DcomTest, ServerGUIDTextThePlatformRejectsRaisesAndKeepsThePair) {
  dcom.SetServerName(u"Alfa.AlfaDMR");
  try {
    dcom.SetServerGUID(u"{1234ABCD-00EF-4A5B-C0FF-EE0102030405)");
    FAIL() << "no exception";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode, kCO_E_CLASSSTRING);
    EXPECT_EQ(e.Message(), u"Invalid class string");
  }
  EXPECT_EQ(dcom.ServerName(), u"Alfa.AlfaDMR");
  EXPECT_EQ(dcom.ServerGUID(), kAlfaText);
}

// ---- the component's own identifier text -----------------------------------------

TEST_F(DcomTest, NetTextAcceptsEitherCaseAndReadsBackUpperCase) {
  dcom.SetServerGUIDNet(u"{abcdef01-abcd-ef01-a1b2-c3d4e5f6a7b8}");
  EXPECT_EQ(dcom.ServerGUIDNet(), u"{ABCDEF01-ABCD-EF01-A1B2-C3D4E5F6A7B8}");
  dcom.SetServerGUIDNet(u"{AbCdEf01-aBcD-Ef01-A1b2-C3d4E5f6A7b8}");
  EXPECT_EQ(dcom.ServerGUIDNet(), u"{ABCDEF01-ABCD-EF01-A1B2-C3D4E5F6A7B8}");
}

TEST_F(DcomTest, NetTextDoesNotLookAtItsLastCharacter) {
  dcom.SetServerGUIDNet(u"{0BADF00D-1111-2222-3344-5566778899AA)");
  EXPECT_EQ(dcom.ServerGUIDNet(), kBetaText);
  EXPECT_EQ(dcom.ServerNameNet(), u"Beta.BetaDMR");
  dcom.SetServerGUIDNet(u"{1234ABCD-00EF-4A5B-C0FF-EE0102030405x");
  EXPECT_EQ(dcom.ServerGUIDNet(), kAlfaText);
}

TEST_F(DcomTest, NetTextOfAnyOtherShapeRaisesConvertErrorAndKeepsThePair) {
  dcom.SetServerNameNet(u"Alfa.AlfaDMR");
  const String bad[] = {
      u"1234ABCD-00EF-4A5B-C0FF-EE0102030405",     // 36 characters, no braces
      u"{1234ABCD-00EF-4A5B-C0FF-EE0102030405}}",  // 39
      u"(1234ABCD-00EF-4A5B-C0FF-EE0102030405}",   // no opening brace
      u"{1234ABCD+00EF-4A5B-C0FF-EE0102030405}",   // dash replaced
      u"{1234ABCD-00EF-4A5B-C0FF+EE0102030405}",
      u"{1234ABCG-00EF-4A5B-C0FF-EE0102030405}",  // not a digit
      u"{1234ABCD-00EF-4A5B-C0FF-EE010203040 }",  u"{ 234ABCD-00EF-4A5B-C0FF-EE0102030405}",
  };
  for (const String& text : bad) {
    try {
      dcom.SetServerGUIDNet(text);
      ADD_FAILURE() << ToUtf8(text) << " was accepted";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"'" + text + u"' is not a valid GUID value");
    }
  }
  EXPECT_EQ(dcom.ServerGUIDNet(), kAlfaText);
  EXPECT_EQ(dcom.ServerNameNet(), u"Alfa.AlfaDMR");
}

TEST(GuidText, FormatsAndParsesEveryByteInTextOrder) {
  const Guid id{0x01020304, 0x0506, 0x0708, {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10}};
  EXPECT_EQ(FormatGuid(id), u"{01020304-0506-0708-090A-0B0C0D0E0F10}");
  EXPECT_EQ(ParseGuid(u"{01020304-0506-0708-090A-0B0C0D0E0F10}"), id);
  EXPECT_TRUE(IsNullGuid(Guid{}));
  EXPECT_FALSE(IsNullGuid(Guid{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}}));
  EXPECT_TRUE(IsBlankIdentifier(Guid{0, 0, 0, {0xFF, 0, 0, 0, 0, 0, 0, 1}}));
}

// ---- loading -----------------------------------------------------------------------

TEST_F(DcomTest, WhileLoadingANameIsOnlyStored) {
  dcom.BeginLoading();
  dcom.SetServerName(u"Alfa.AlfaDMR");
  EXPECT_EQ(registry.NameLookups(), 0);
  EXPECT_EQ(dcom.ServerGUID(), u"");
  EXPECT_EQ(dcom.ServerName(), u"Alfa.AlfaDMR");
  // A connect asked for by the layout waits for the end of loading.
  dcom.SetConnected(true);
  EXPECT_FALSE(dcom.Connected());
  EXPECT_TRUE(log.empty());
  dcom.EndLoading();
  EXPECT_FALSE(dcom.Loading());
  EXPECT_TRUE(dcom.Connected());  // resolved through the stored name
  EXPECT_EQ(log, (std::vector<std::string>{"create"}));
}

TEST(Component, OwnerFreesWhatItOwns) {
  TableClassRegistry registry;
  std::vector<std::string> log;
  registry.Register(u"Alfa.AlfaDMR", kAlfa, [&] { return std::make_shared<FakeServer>(log); });
  auto owner = std::make_unique<TComponent>();
  auto* first = new SDCOMConnection(owner.get(), registry);
  auto* second = new SDCOMConnection(owner.get(), registry);
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->Components(1), second);
  delete first;  // leaves the owner's list
  EXPECT_EQ(owner->ComponentCount(), 1);
  second->SetServerName(u"Alfa.AlfaDMR");
  second->SetConnected(true);
  owner.reset();  // frees the second one and its server object
  EXPECT_EQ(log, (std::vector<std::string>{"create", "release"}));
}

// ---- connecting and disconnecting ---------------------------------------------------

TEST_F(DcomTest, ConnectAndDisconnectRunEventsClientsAndStepsInOrder) {
  RecordingClient client(log);
  dcom.RegisterClient(client);
  dcom.SetBeforeConnect(
      [&](TConnection& c) { log.push_back(c.Connected() ? "bad" : "before connect"); });
  dcom.SetAfterConnect(
      [&](TConnection& c) { log.push_back(c.Connected() ? "after connect" : "bad"); });
  dcom.SetBeforeDisconnect([&](TConnection&) { log.push_back("before disconnect"); });
  dcom.SetAfterDisconnect(
      [&](TConnection& c) { log.push_back(c.Connected() ? "bad" : "after disconnect"); });
  dcom.SetServerName(u"Alfa.AlfaDMR");
  dcom.SetConnected(true);
  EXPECT_TRUE(dcom.Connected());
  ASSERT_EQ(registry.CreateCalls().size(), 1u);
  EXPECT_FALSE(registry.CreateCalls()[0].remote);
  EXPECT_EQ(registry.CreateCalls()[0].context, 5u);
  EXPECT_EQ(registry.CreateCalls()[0].clsid, kAlfa);
  dcom.SetConnected(true);              // same state: nothing
  dcom.SetServerName(u"Beta.BetaDMR");  // a new name disconnects first
  EXPECT_FALSE(dcom.Connected());
  dcom.SetConnected(false);  // same state: nothing
  EXPECT_EQ(log, (std::vector<std::string>{"before connect", "create", "client connect (connected)",
                                           "after connect", "before disconnect",
                                           "client disconnect (connected)", "release",
                                           "after disconnect"}));
  dcom.UnRegisterClient(client);
  EXPECT_EQ(dcom.ClientCount(), 0);
}

TEST_F(DcomTest, ComputerNameChoosesTheRemoteCallAndItsContext) {
  dcom.SetServerName(u"Alfa.AlfaDMR");
  registry.SetComputerName(u"SERVIDOR1");
  dcom.SetComputerName(u"servidor1");
  dcom.SetConnected(true);
  EXPECT_TRUE(dcom.Connected());
  dcom.SetComputerName(u"otro");  // differs: disconnects first
  EXPECT_FALSE(dcom.Connected());
  dcom.SetConnected(true);
  ASSERT_EQ(registry.CreateCalls().size(), 2u);
  EXPECT_TRUE(registry.CreateCalls()[0].remote);
  EXPECT_EQ(registry.CreateCalls()[0].computer, u"servidor1");
  EXPECT_EQ(registry.CreateCalls()[0].context, 21u);
  EXPECT_EQ(registry.CreateCalls()[1].computer, u"otro");
  EXPECT_EQ(registry.CreateCalls()[1].context, 16u);
  dcom.SetComputerName(u"otro");  // same: stays connected
  EXPECT_TRUE(dcom.Connected());
}

TEST_F(DcomTest, FailedConnectForUnregisteredNameGivesTheSevenLines) {
  dcom.SetServerName(u"A.ADMR");
  EXPECT_EQ(ConnectFailure(),
            u"SDCOM DCOM. Non successful connection Server!\r"
            u"\r"
            u"ComputerName: LocalMachine\r"
            u"Server Name: A.ADMR\r"
            u"\r"
            u"Error message:\r"
            u"Invalid class string");
  EXPECT_FALSE(dcom.Connected());
}

TEST_F(DcomTest, BlankComputerNameReadsLocalMachineButIsStillTried) {
  dcom.SetServerName(u"A.ADMR");
  dcom.SetComputerName(u"   ");
  EXPECT_EQ(ConnectFailure(),
            u"SDCOM DCOM. Non successful connection Server!\r\r"
            u"ComputerName: LocalMachine\rServer Name: A.ADMR\r\r"
            u"Error message:\rInvalid class string");
  // With a registered class the blanks go to the remote call as they are.
  dcom.SetServerName(u"Beta.BetaDMR");
  dcom.SetComputerName(u"\t \x01");
  EXPECT_EQ(ConnectFailure(),
            u"SDCOM DCOM. Non successful connection Server!\r\r"
            u"ComputerName: LocalMachine\rServer Name: Beta.BetaDMR\r\r"
            u"Error message:\rOLE error 80080005");
  ASSERT_EQ(registry.CreateCalls().size(), 1u);
  EXPECT_EQ(registry.CreateCalls()[0].computer, u"\t \x01");
  EXPECT_EQ(registry.CreateCalls()[0].context, 16u);
  dcom.SetComputerName(u"REMOTO");
  EXPECT_EQ(ConnectFailure(),
            u"SDCOM DCOM. Non successful connection Server!\r\r"
            u"ComputerName: REMOTO\rServer Name: Beta.BetaDMR\r\r"
            u"Error message:\rOLE error 80080005");
  registry.SetRemoteAvailable(false);
  EXPECT_EQ(ConnectFailure(),
            u"SDCOM DCOM. Non successful connection Server!\r\r"
            u"ComputerName: REMOTO\rServer Name: Beta.BetaDMR\r\r"
            u"Error message:\rDCOM not installed");
  EXPECT_EQ(registry.CreateCalls().size(), 2u);
}

TEST_F(DcomTest, ConnectWithoutNameOrIdentifierIsRefused) {
  EXPECT_EQ(ConnectFailure(),
            u"SDCOM DCOM. Non successful connection Server!\r\r"
            u"ComputerName: LocalMachine\rServer Name: \r\r"
            u"Error message:\r"
            u"Cannot connect, DCOM must contain a valid ServerName or ServerGUID");
  EXPECT_TRUE(registry.CreateCalls().empty());
}

TEST_F(DcomTest, LocalCreateFailureNamesTheClassIdentifier) {
  // Not all sixteen bytes are zero, so the stored identifier is used as it is
  // even though it reads as "".
  dcom.SetServerGUID(u"{00000000-0000-0000-C000-000000000046}");
  EXPECT_EQ(ConnectFailure(),
            u"SDCOM DCOM. Non successful connection Server!\r\r"
            u"ComputerName: LocalMachine\rServer Name: \r\r"
            u"Error message:\r"
            u"Class not registered, ClassID: {00000000-0000-0000-C000-000000000046}");
  dcom.SetServerName(u"Beta.BetaDMR");
  EXPECT_EQ(ConnectFailure(),
            u"SDCOM DCOM. Non successful connection Server!\r\r"
            u"ComputerName: LocalMachine\rServer Name: Beta.BetaDMR\r\r"
            u"Error message:\r"
            u"OLE error 80080005, ClassID: " +
                kBetaText);
}

TEST_F(DcomTest, EveryRuntimeFailureIsRewordedOthersPassThrough) {
  dcom.SetServerName(u"Alfa.AlfaDMR");
  dcom.SetBeforeConnect([](TConnection&) { throw EAbort(); });
  EXPECT_EQ(ConnectFailure(),
            u"SDCOM DCOM. Non successful connection Server!\r\r"
            u"ComputerName: LocalMachine\rServer Name: Alfa.AlfaDMR\r\r"
            u"Error message:\rOperation aborted");
  dcom.SetBeforeConnect([](TConnection&) { throw std::runtime_error("not ours"); });
  EXPECT_THROW(dcom.SetConnected(true), std::runtime_error);
  dcom.SetBeforeConnect({});
  dcom.SetConnected(true);
  // A failing disconnect, reached through a name write, is reworded too.
  dcom.SetBeforeDisconnect([](TConnection&) { throw EConvertError(u"no"); });
  try {
    dcom.SetServerName(u"Beta.BetaDMR");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              u"SDCOM DCOM. Non successful connection Server!\r\r"
              u"ComputerName: LocalMachine\rServer Name: Alfa.AlfaDMR\r\r"
              u"Error message:\rno");
  }
  EXPECT_EQ(dcom.ServerName(), u"Alfa.AlfaDMR");
  EXPECT_TRUE(dcom.Connected());
}

TEST_F(DcomTest, LoginPromptAsksForTheUserAndReportsTheLogin) {
  std::vector<String> seen;
  dcom.SetLoginPrompt(true);
  dcom.SetOnGetUsername([&](TConnection&, String& user) { user = u"operador"; });
  dcom.SetOnLogin([&](TConnection& c, const String& user, const String&) {
    seen.push_back(c.Connected() ? user : u"bad");
  });
  dcom.SetServerName(u"Alfa.AlfaDMR");
  dcom.SetConnected(true);
  EXPECT_EQ(seen, std::vector<String>{u"operador"});
  dcom.SetConnected(false);
  EXPECT_EQ(seen.size(), 1u);
}

}  // namespace
