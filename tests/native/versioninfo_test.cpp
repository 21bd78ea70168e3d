// The version-information reader: the record routine against a scripted
// source, our own version-block walker and PE resource finder on hand-made
// and broken inputs, and the portable source over files in memory and on
// disk. Run under the asan preset, the broken-input cases prove that no
// input makes the readers touch a byte outside what they were given.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "native/support/version_images.h"
#include "runtime/Exceptions.h"
#include "versioninfo/ErrorCodes.h"
#include "versioninfo/PeResource.h"
#include "versioninfo/PeVersionSource.h"
#include "versioninfo/VersionBlock.h"
#include "versioninfo/VersionInfo.h"

namespace varnel {

using namespace varnel::versioninfo;
namespace {

using testing::Bytes;

const std::vector<std::pair<String, String>> kAllStrings = {
    {u"CompanyName", u"Compañía"},      {u"FileDescription", u"Servidor de prueba"},
    {u"FileVersion", u"1.2.3.4"},       {u"InternalName", u"interno"},
    {u"LegalCopyright", u"© Ñandú"},    {u"LegalTrademarks", u"Marca"},
    {u"OriginalFileName", u"orig.exe"}, {u"ProductName", u"Producto"},
    {u"ProductVersion", u"1.2"},        {u"Comments", u"Comentario"},
    {u"PrivateBuild", u"privada"},      {u"SpecialBuild", u"especial"},
};

TEXEVersionData Sentinels() {
  return TEXEVersionData{u"old1", u"old2", u"old3", u"old4",  u"old5",  u"old6",
                         u"old7", u"old8", u"old9", u"old10", u"old11", u"old12"};
}

std::vector<String> Fields(const TEXEVersionData& d) {
  return {d.CompanyName,    d.FileDescription, d.FileVersion,      d.InternalName,
          d.LegalCopyright, d.LegalTrademarks, d.OriginalFileName, d.ProductName,
          d.ProductVersion, d.Comments,        d.PrivateBuild,     d.SpecialBuild};
}

Bytes StandardBlock(String table, std::vector<std::pair<String, String>> strings,
                    std::initializer_list<std::uint16_t> translation = {0x0409, 0x04B0}) {
  return testing::Serialize(testing::StandardRoot(std::move(table), std::move(strings),
                                                  testing::TranslationEntries(translation)));
}

// A source that serves one block through our own walker, can be told to
// fail its first two operations, and logs every call so the tests can check
// the order and the exact paths asked for.
class ScriptedSource final : public IVersionSource {
 public:
  explicit ScriptedSource(Bytes block) : block_(std::move(block)) {}

  std::uint32_t sizeError = 0;  // non-zero: FileVersionInfoSize fails with it
  std::uint32_t copyError = 0;  // non-zero: FileVersionInfo fails with it
  std::vector<String> log;
  std::size_t bufferSize = 0;

  std::uint32_t FileVersionInfoSize(const String& path) override {
    log.push_back(u"size " + path);
    if (sizeError) return Fail(sizeError), 0;
    return static_cast<std::uint32_t>(block_.size());
  }
  bool FileVersionInfo(const String& path, std::span<std::byte> buffer) override {
    log.push_back(u"copy " + path);
    bufferSize = buffer.size();
    if (copyError) return Fail(copyError), false;
    std::copy(block_.begin(), block_.end(), buffer.begin());
    return true;
  }
  bool QueryValue(std::span<const std::byte> block, const String& subBlock,
                  VersionValue& value) override {
    log.push_back(u"query " + subBlock);
    if (VerQueryValueBlock(block, subBlock, value)) return true;
    Fail(kErrorResourceTypeNotFound);
    return false;
  }
  std::uint32_t LastError() override {
    log.push_back(u"lasterror");
    return lastError_;
  }
  String SystemErrorText(std::uint32_t code) override {
    return u"Stub text " + IntToStr(code) + u" ..  \r\n";
  }

 private:
  void Fail(std::uint32_t code) { lastError_ = code; }
  Bytes block_;
  std::uint32_t lastError_ = 0;
};

// --- GetEXEVersionData -----------------------------------------------------

TEST(GetEXEVersionData, ReadsTheTwelveFieldsInRecordOrderUnderTheFirstKey) {
  ScriptedSource source(StandardBlock(u"040904B0", kAllStrings));
  TEXEVersionData data = Sentinels();
  GetEXEVersionData(source, u"C:\\x\\a.exe", data);

  std::vector<String> expected;
  for (const auto& [name, text] : kAllStrings) expected.push_back(text);
  EXPECT_EQ(Fields(data), expected);

  std::vector<String> calls = {u"size C:\\x\\a.exe", u"copy C:\\x\\a.exe",
                               u"query \\VarFileInfo\\Translation\\"};
  for (const auto& [name, text] : kAllStrings) {
    calls.push_back(u"query \\StringFileInfo\\040904B0\\" + name);
  }
  EXPECT_EQ(source.log, calls);
  EXPECT_EQ(source.bufferSize, StandardBlock(u"040904B0", kAllStrings).size());
}

TEST(GetEXEVersionData, MissingValuesKeepWhatTheRecordHeld) {
  auto strings = kAllStrings;
  std::erase_if(strings,
                [](const auto& s) { return s.first == u"Comments" || s.first == u"PrivateBuild"; });
  ScriptedSource source(StandardBlock(u"040904B0", strings));
  TEXEVersionData data = Sentinels();
  GetEXEVersionData(source, u"a.exe", data);
  EXPECT_EQ(data.Comments, u"old10");
  EXPECT_EQ(data.PrivateBuild, u"old11");
  EXPECT_EQ(data.FileDescription, u"Servidor de prueba");
  EXPECT_EQ(data.SpecialBuild, u"especial");

  // A second file without FileDescription leaves the first file's one.
  ScriptedSource second(StandardBlock(u"040904B0", {{u"FileVersion", u"9"}}));
  GetEXEVersionData(second, u"b.exe", data);
  EXPECT_EQ(data.FileDescription, u"Servidor de prueba");
  EXPECT_EQ(data.FileVersion, u"9");
}

TEST(GetEXEVersionData, APresentEmptyValueEmptiesItsField) {
  // windres writes an empty string as one NUL (wValueLength 1); other
  // writers store no value at all (wValueLength 0). Both mean empty.
  auto root = testing::StandardRoot(u"040904B0", {{u"FileDescription", u""}},
                                    testing::TranslationEntries({0x0409, 0x04B0}));
  auto noValue = testing::TextValue(u"CompanyName", u"");
  noValue.valueLength = 0;
  noValue.value.clear();
  root.children[0].children[0].children.push_back(noValue);
  root.children[0].children[0].children.push_back(testing::TextValue(u"FileVersion", u"5.0"));
  ScriptedSource source(testing::Serialize(root));
  TEXEVersionData data = Sentinels();
  GetEXEVersionData(source, u"a.exe", data);
  EXPECT_EQ(data.FileDescription, u"");
  EXPECT_EQ(data.CompanyName, u"");
  EXPECT_EQ(data.FileVersion, u"5.0");  // the value after the empty one is not swallowed
  EXPECT_EQ(data.InternalName, u"old4");
}

TEST(GetEXEVersionData, TextEndsAtItsFirstNulAndNeverPastItsLength) {
  auto root = testing::StandardRoot(u"040904B0", {}, testing::TranslationEntries({0x0409, 0x04B0}));
  auto& table = root.children[0].children[0].children;
  table.push_back(testing::TextValue(u"CompanyName", String(u"abc\0def", 7)));
  auto bytesCounted = testing::TextValue(u"FileDescription", u"doble");
  bytesCounted.valueLength = static_cast<std::uint16_t>(2 * bytesCounted.valueLength);
  table.push_back(bytesCounted);  // a length in bytes, as some writers store it
  auto shortLength = testing::TextValue(u"FileVersion", u"1.2.3.4");
  shortLength.valueLength = 3;  // says less than the text holds
  table.push_back(shortLength);
  table.push_back(testing::TextValue(u"InternalName", u"after"));
  ScriptedSource source(testing::Serialize(root));
  TEXEVersionData data = Sentinels();
  GetEXEVersionData(source, u"a.exe", data);
  EXPECT_EQ(data.CompanyName, u"abc");
  EXPECT_EQ(data.FileDescription, u"doble");
  EXPECT_EQ(data.FileVersion, u"1.2");
  EXPECT_EQ(data.InternalName, u"after");
}

TEST(GetEXEVersionData, TakesTheKeyFromTheFirstTranslationOnly) {
  ScriptedSource underSecond(
      StandardBlock(u"0C0A04E4", kAllStrings, {0x0409, 0x04B0, 0x0C0A, 0x04E4}));
  TEXEVersionData data = Sentinels();
  GetEXEVersionData(underSecond, u"a.exe", data);
  EXPECT_EQ(Fields(data), Fields(Sentinels()));
  EXPECT_EQ(underSecond.log.back(), u"query \\StringFileInfo\\040904B0\\SpecialBuild");

  ScriptedSource underFirst(
      StandardBlock(u"040904B0", kAllStrings, {0x0409, 0x04B0, 0x0C0A, 0x04E4}));
  GetEXEVersionData(underFirst, u"a.exe", data);
  EXPECT_EQ(data.ProductName, u"Producto");
}

TEST(GetEXEVersionData, KeyIsEightUpperCaseHexDigits) {
  ScriptedSource spanish(StandardBlock(u"0C0A04E4", kAllStrings, {0x0C0A, 0x04E4}));
  TEXEVersionData data = Sentinels();
  GetEXEVersionData(spanish, u"a.exe", data);
  EXPECT_EQ(data.FileVersion, u"1.2.3.4");
  EXPECT_EQ(spanish.log[3], u"query \\StringFileInfo\\0C0A04E4\\CompanyName");

  ScriptedSource colombia(
      StandardBlock(u"240A04E4", {{u"FileVersion", u"16.0.1.1"}}, {0x240A, 1252}));
  GetEXEVersionData(colombia, u"a.exe", data);
  EXPECT_EQ(data.FileVersion, u"16.0.1.1");

  ScriptedSource small(StandardBlock(u"00070001", {{u"Comments", u"x"}}, {0x0007, 0x0001}));
  GetEXEVersionData(small, u"a.exe", data);
  EXPECT_EQ(data.Comments, u"x");

  // Names are matched as spelled: a lower-case table is not the same key.
  ScriptedSource lower(StandardBlock(u"0c0a04e4", {{u"FileVersion", u"lower"}}, {0x0C0A, 0x04E4}));
  GetEXEVersionData(lower, u"a.exe", data);
  EXPECT_EQ(data.FileVersion, u"16.0.1.1");
}

void ExpectOSError(IVersionSource& source, std::uint32_t code, const String& message) {
  TEXEVersionData data = Sentinels();
  try {
    GetEXEVersionData(source, u"a.exe", data);
    ADD_FAILURE() << "no EOSError";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, code);
    EXPECT_EQ(e.Message(), message);
  }
  EXPECT_EQ(Fields(data), Fields(Sentinels()));
}

TEST(GetEXEVersionData, FailuresRaiseEOSErrorAndLeaveTheRecord) {
  ScriptedSource noBlock(StandardBlock(u"040904B0", kAllStrings));
  noBlock.sizeError = 1812;
  ExpectOSError(noBlock, 1812, u"System Error.  Code: 1812.\r\nStub text 1812");
  // The code is read right after the failing call, before anything else.
  EXPECT_EQ(noBlock.log, (std::vector<String>{u"size a.exe", u"lasterror"}));

  ScriptedSource noCopy(StandardBlock(u"040904B0", kAllStrings));
  noCopy.copyError = 5;
  ExpectOSError(noCopy, 5, u"System Error.  Code: 5.\r\nStub text 5");
  EXPECT_EQ(noCopy.log, (std::vector<String>{u"size a.exe", u"copy a.exe", u"lasterror"}));

  ScriptedSource zero(StandardBlock(u"040904B0", kAllStrings));
  zero.sizeError = 0xFFFFFFFF;  // printed as the signed value
  ExpectOSError(zero, 0xFFFFFFFF, u"System Error.  Code: -1.\r\nStub text 4294967295");

  auto root = testing::StandardRoot(u"040904B0", kAllStrings, {});
  root.children.pop_back();  // no VarFileInfo
  ScriptedSource noTranslation(testing::Serialize(root));
  ExpectOSError(noTranslation, 1813, u"System Error.  Code: 1813.\r\nStub text 1813");
}

TEST(GetEXEVersionData, ATranslationShorterThanOneEntryIsNoTranslation) {
  for (const Bytes& entries : {Bytes{}, Bytes(2, std::byte{0x09}), Bytes(3, std::byte{0x09})}) {
    ScriptedSource source(
        testing::Serialize(testing::StandardRoot(u"09090909", kAllStrings, entries)));
    ExpectOSError(source, 1813, u"System Error.  Code: 1813.\r\nStub text 1813");
  }
  // A length that claims a full entry but is cut by the end of its node.
  auto root = testing::StandardRoot(u"040904B0", kAllStrings, Bytes(2, std::byte{0x09}));
  root.children[1].children[0].valueLength = 4;
  ScriptedSource clipped(testing::Serialize(root));
  ExpectOSError(clipped, 1813, u"System Error.  Code: 1813.\r\nStub text 1813");
}

TEST(GetEXEVersionData, CodeZeroHasTheFixedMessage) {
  // Size 0 with no error code set at all.
  class EmptySource final : public IVersionSource {
   public:
    std::uint32_t FileVersionInfoSize(const String&) override { return 0; }
    bool FileVersionInfo(const String&, std::span<std::byte>) override { return false; }
    bool QueryValue(std::span<const std::byte>, const String&, VersionValue&) override {
      return false;
    }
    std::uint32_t LastError() override { return 0; }
    String SystemErrorText(std::uint32_t) override { return u"unused"; }
  } empty;
  ExpectOSError(empty, 0, u"A call to an OS function failed");
}

// --- VerQueryValueBlock ----------------------------------------------------

String Text(const VersionValue& value) {
  String text;
  for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
    const auto unit = static_cast<char16_t>(std::to_integer<unsigned>(value.data[i]) |
                                            (std::to_integer<unsigned>(value.data[i + 1]) << 8));
    if (unit == 0) break;
    text += unit;
  }
  return text;
}

TEST(VerQueryValueBlock, FindsRootTranslationAndStrings) {
  const Bytes block = StandardBlock(u"040904B0", kAllStrings);
  VersionValue value;
  ASSERT_TRUE(VerQueryValueBlock(block, u"\\", value));
  EXPECT_EQ(value.length, 52u);
  ASSERT_EQ(value.data.size(), 52u);
  EXPECT_EQ(std::to_integer<int>(value.data[0]), 0xBD);  // VS_FIXEDFILEINFO signature

  for (StringView path : {u"\\VarFileInfo\\Translation", u"\\VarFileInfo\\Translation\\",
                          u"VarFileInfo\\\\Translation"}) {
    VersionValue t;
    ASSERT_TRUE(VerQueryValueBlock(block, path, t)) << ToUtf8(path);
    EXPECT_EQ(t.length, 4u);
    EXPECT_EQ(t.data.size(), 4u);
  }

  VersionValue text;
  ASSERT_TRUE(VerQueryValueBlock(block, u"\\StringFileInfo\\040904B0\\LegalCopyright", text));
  EXPECT_EQ(text.length, 8u);  // units with the NUL
  EXPECT_EQ(text.data.size(), 16u);
  EXPECT_EQ(Text(text), u"© Ñandú");
}

TEST(VerQueryValueBlock, MatchesWholeKeysExactly) {
  const Bytes block = StandardBlock(u"040904B0", kAllStrings);
  VersionValue value;
  value.length = 77;
  for (StringView path :
       {u"\\StringFileInfo\\040904B0\\File", u"\\StringFileInfo\\040904B0\\FileVersionX",
        u"\\StringFileInfo\\040904b0\\FileVersion", u"\\varfileinfo\\translation",
        u"\\StringFileInfo\\040904B0\\FileVersion\\More", u"\\Missing"}) {
    EXPECT_FALSE(VerQueryValueBlock(block, path, value)) << ToUtf8(path);
  }
  EXPECT_EQ(value.length, 77u);  // untouched on failure
}

// Every path the routine asks for, plus the root.
std::vector<String> AllPaths() {
  std::vector<String> paths = {u"\\", u"\\VarFileInfo\\Translation\\"};
  for (const auto& [name, text] : kAllStrings) {
    paths.push_back(u"\\StringFileInfo\\040904B0\\" + name);
  }
  return paths;
}

// Queries every path on an exact-size copy (so ASan sees any overread) and
// checks that whatever is found lies inside the copy.
void QueryAllSafely(const Bytes& bytes) {
  const Bytes copy(bytes);
  const std::span<const std::byte> block(copy);
  for (const String& path : AllPaths()) {
    VersionValue value;
    if (VerQueryValueBlock(block, path, value)) {
      ASSERT_GE(value.data.data(), copy.data());
      ASSERT_LE(value.data.data() + value.data.size(), copy.data() + copy.size());
      (void)Text(value);
    }
  }
}

TEST(VerQueryValueBlock, BrokenLengthsAreNotFoundAndNeverOverread) {
  const Bytes good = StandardBlock(u"040904B0", kAllStrings);
  const std::size_t table = testing::NodeOffset(good, u"040904B0");
  const std::size_t description = testing::NodeOffset(good, u"FileDescription");
  const std::u16string descriptionPath = u"\\StringFileInfo\\040904B0\\FileDescription";
  const std::u16string companyPath = u"\\StringFileInfo\\040904B0\\CompanyName";
  VersionValue value;

  {  // a child longer than its parent: it and its later siblings are gone
    Bytes b = good;
    testing::Put16(b, description, 0x7FF0);
    EXPECT_TRUE(VerQueryValueBlock(b, companyPath, value));
    EXPECT_FALSE(VerQueryValueBlock(b, descriptionPath, value));
    EXPECT_FALSE(VerQueryValueBlock(b, u"\\StringFileInfo\\040904B0\\SpecialBuild", value));
    EXPECT_TRUE(VerQueryValueBlock(b, u"\\VarFileInfo\\Translation", value));
    QueryAllSafely(b);
  }
  {  // a zero length ends the walk instead of looping
    Bytes b = good;
    testing::Put16(b, description, 0);
    EXPECT_FALSE(VerQueryValueBlock(b, descriptionPath, value));
    QueryAllSafely(b);
  }
  {  // a root longer than the block finds nothing
    Bytes b = good;
    testing::Put16(b, 0, static_cast<std::uint16_t>(good.size() + 2));
    EXPECT_FALSE(VerQueryValueBlock(b, u"\\", value));
    QueryAllSafely(b);
  }
  {  // a text length far past its node is cut at the node's end
    Bytes b = good;
    testing::Put16(b, description + 2, 0xFFFF);
    ASSERT_TRUE(VerQueryValueBlock(b, descriptionPath, value));
    EXPECT_EQ(value.length, 0xFFFFu);
    EXPECT_LE(value.data.size(), std::size_t{testing::NodeOffset(b, u"FileVersion") - description});
    EXPECT_EQ(Text(value), u"Servidor de prueba");
    QueryAllSafely(b);
  }
  {  // a key without its terminator inside the node
    Bytes b = good;
    testing::Put16(b, description, 6 + 2 * 4);  // the node ends inside "File..."
    EXPECT_FALSE(VerQueryValueBlock(b, descriptionPath, value));
    QueryAllSafely(b);
  }
  {  // an odd table length, and a block cut to an odd size
    Bytes b = good;
    const std::size_t tableLength = testing::NodeOffset(good, u"VarFileInfo") - table - 3;
    testing::Put16(b, table, static_cast<std::uint16_t>(tableLength));
    QueryAllSafely(b);
    Bytes odd(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(description + 7));
    testing::Put16(odd, 0, static_cast<std::uint16_t>(odd.size()));
    QueryAllSafely(odd);
    EXPECT_TRUE(VerQueryValueBlock(odd, u"\\", value));
    EXPECT_FALSE(VerQueryValueBlock(odd, descriptionPath, value));
  }
  for (std::size_t size : {0u, 1u, 5u, 6u, 7u}) {  // shorter than any header
    Bytes tiny(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(VerQueryValueBlock(tiny, u"\\", value));
  }
}

TEST(VerQueryValueBlock, EveryTruncationAndByteDamageIsSafe) {
  const Bytes good = StandardBlock(u"040904B0", kAllStrings);
  for (std::size_t size = 0; size < good.size(); ++size) {
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    QueryAllSafely(cut);
    Bytes relabelled = cut;  // the same cut, with a root length that agrees with it
    if (size >= 2) testing::Put16(relabelled, 0, static_cast<std::uint16_t>(size));
    QueryAllSafely(relabelled);
  }
  for (std::size_t at = 0; at < good.size(); ++at) {
    for (std::byte damage : {std::byte{0x00}, std::byte{0xFF}, std::byte{0x07}}) {
      Bytes b = good;
      b[at] = damage;
      QueryAllSafely(b);
    }
  }
}

// --- FindVersionResource ---------------------------------------------------

TEST(FindVersionResource, FindsTheResourceIn32And64BitImages) {
  const Bytes block = StandardBlock(u"040904B0", kAllStrings);
  for (bool pe64 : {true, false}) {
    for (bool named : {false, true}) {
      testing::PeLayout layout;
      layout.pe64 = pe64;
      layout.namedEntriesFirst = named;
      const Bytes image = testing::BuildPe(block, layout);
      const PeResourceLookup found = FindVersionResource(image);
      ASSERT_EQ(found.error, 0u) << pe64 << named;
      EXPECT_TRUE(std::equal(found.data.begin(), found.data.end(), block.begin(), block.end()));
    }
  }
}

TEST(FindVersionResource, MissingPartsGiveThePlatformCodes) {
  const Bytes block = StandardBlock(u"040904B0", kAllStrings);
  testing::PeLayout layout;
  layout.typeId = 3;  // an icon, no version
  EXPECT_EQ(FindVersionResource(testing::BuildPe(block, layout)).error, 1813u);
  layout = {};
  layout.nameId = 2;
  EXPECT_EQ(FindVersionResource(testing::BuildPe(block, layout)).error, 1814u);
  layout = {};
  layout.withResourceDirectory = false;
  EXPECT_EQ(FindVersionResource(testing::BuildPe(block, layout)).error, 1812u);

  testing::PeOffsets at;
  Bytes noLanguage = testing::BuildPe(block, {}, &at);
  testing::Put16(noLanguage, at.languageDirectory + 14, 0);
  EXPECT_EQ(FindVersionResource(noLanguage).error, 1815u);

  const std::string text = "not an executable at all, just text\r\n";
  Bytes textFile;
  for (char c : text) textFile.push_back(static_cast<std::byte>(c));
  EXPECT_EQ(FindVersionResource(textFile).error, 1812u);
  EXPECT_EQ(FindVersionResource({}).error, 1812u);
}

TEST(FindVersionResource, BrokenHeadersAndTreesAreErrorsNotCrashes) {
  const Bytes block = StandardBlock(u"040904B0", kAllStrings);
  testing::PeOffsets at;
  const Bytes good = testing::BuildPe(block, {}, &at);
  auto patched = [&](std::size_t offset, std::uint32_t value, bool wide = true) {
    Bytes b = good;
    if (wide) {
      testing::Put32(b, offset, value);
    } else {
      testing::Put16(b, offset, static_cast<std::uint16_t>(value));
    }
    return FindVersionResource(b).error;
  };
  EXPECT_EQ(patched(0x3C, 0xFFFFFFF0), 1812u);                      // PE header past the end
  EXPECT_EQ(patched(at.peHeader, 0x00004551), 1812u);               // bad signature
  EXPECT_EQ(patched(at.peHeader + 6, 0xFFFF, false), 1812u);        // sections past the end
  EXPECT_EQ(patched(at.peHeader + 20, 0xFFFF, false), 1812u);       // optional header too long
  EXPECT_EQ(patched(at.peHeader + 20, 100, false), 1812u);          // too short for directories
  EXPECT_EQ(patched(at.optionalHeader, 0x107, false), 1812u);       // unknown magic
  EXPECT_EQ(patched(at.optionalHeader + 108, 2), 1812u);            // no resource directory slot
  EXPECT_EQ(patched(at.optionalHeader + 112 + 16, 0x9000), 13u);    // resource RVA in no section
  EXPECT_EQ(patched(at.sectionTable + 20, 0x7FFFFFFF), 13u);        // raw data past the end
  EXPECT_EQ(patched(at.resourceSection + 14, 0xFFFF, false), 13u);  // entry count past the end
  EXPECT_EQ(patched(at.resourceSection + 20, 0x80001000), 13u);     // subdirectory past the end
  EXPECT_EQ(patched(at.resourceSection + 20, 0x18), 13u);  // type leads to data, not a directory
  EXPECT_EQ(patched(at.resourceSection + 20, 0x80000000), 1814u);  // type loops to the root
  EXPECT_EQ(patched(at.languageDirectory + 20, 0x80000000), 13u);  // language leads to a directory
  EXPECT_EQ(patched(at.languageDirectory + 20, 0x0000FFF0), 13u);  // data entry past the end
  EXPECT_EQ(patched(at.dataEntry, 0x1000 + 0x7FFF0), 13u);         // data RVA past the section
  EXPECT_EQ(patched(at.dataEntry + 4, static_cast<std::uint32_t>(block.size() + 1)), 13u);
  EXPECT_EQ(patched(at.dataEntry + 4, 0), 13u);
}

TEST(FindVersionResource, EveryTruncationAndRandomDamageIsSafe) {
  const Bytes block = StandardBlock(u"040904B0", kAllStrings);
  for (bool pe64 : {true, false}) {
    testing::PeLayout layout;
    layout.pe64 = pe64;
    const Bytes good = testing::BuildPe(block, layout);
    for (std::size_t size = 0; size < good.size(); ++size) {
      const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
      EXPECT_NE(FindVersionResource(cut).error, 0u) << size;
    }
    std::mt19937 random(pe64 ? 1u : 2u);
    for (int round = 0; round < 3000; ++round) {
      Bytes b = good;
      const int hits = 1 + static_cast<int>(random() % 4);
      for (int k = 0; k < hits; ++k) {
        b[random() % b.size()] = static_cast<std::byte>(random() & 0xFF);
      }
      const Bytes copy(b);
      const PeResourceLookup found = FindVersionResource(copy);
      if (found.error == 0) {
        ASSERT_GE(found.data.data(), copy.data());
        ASSERT_LE(found.data.data() + found.data.size(), copy.data() + copy.size());
        QueryAllSafely(Bytes(found.data.begin(), found.data.end()));
      }
    }
  }
}

// --- PeVersionSource -------------------------------------------------------

class MemoryFiles final : public IFileReader {
 public:
  std::map<String, Bytes> files;
  std::uint32_t ReadAll(const String& path, std::vector<std::byte>& bytes) override {
    const auto found = files.find(path);
    if (found == files.end()) return kErrorFileNotFound;
    bytes = found->second;
    return 0;
  }
};

TEST(PeVersionSource, ReadsARecordOutOfAnImage) {
  MemoryFiles files;
  files.files[u"C:\\s\\es.exe"] =
      testing::BuildPe(StandardBlock(u"0C0A04E4", kAllStrings, {0x0C0A, 0x04E4}));
  PeVersionSource source(files);
  EXPECT_EQ(source.FileVersionInfoSize(u"C:\\s\\es.exe"),
            StandardBlock(u"0C0A04E4", kAllStrings, {0x0C0A, 0x04E4}).size());
  TEXEVersionData data = Sentinels();
  GetEXEVersionData(source, u"C:\\s\\es.exe", data);
  std::vector<String> expected;
  for (const auto& [name, text] : kAllStrings) expected.push_back(text);
  EXPECT_EQ(Fields(data), expected);

  VersionValue value;
  EXPECT_FALSE(source.QueryValue({}, u"\\", value));
  EXPECT_EQ(source.LastError(), 1813u);
}

TEST(PeVersionSource, FailuresCarryThePlatformCodeAndText) {
  MemoryFiles files;
  Bytes text(200, std::byte{'x'});
  files.files[u"text.exe"] = text;
  files.files[u"short.exe"] =
      testing::BuildPe(testing::Serialize(testing::StandardRoot(u"040904B0", kAllStrings, {})));
  PeVersionSource source(files);
  ExpectOSError(source, 2, u"System Error.  Code: 2.\r\nThe system cannot find the file specified");
  TEXEVersionData data = Sentinels();
  EXPECT_THROW(GetEXEVersionData(source, u"text.exe", data), EOSError);
  EXPECT_EQ(source.LastError(), 1812u);
  try {
    GetEXEVersionData(source, u"short.exe", data);
    ADD_FAILURE() << "a translation of no entries was accepted";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, 1813u);
    EXPECT_EQ(e.Message(),
              u"System Error.  Code: 1813.\r\n"
              u"The specified resource type cannot be found in the image file");
  }
  EXPECT_EQ(Fields(data), Fields(Sentinels()));

  PeVersionSource custom(files,
                         [](std::uint32_t code) { return u"texto " + IntToStr(code) + u"."; });
  ExpectOSError(custom, 2, u"System Error.  Code: 2.\r\ntexto 2");
}

TEST(PeVersionSource, CopiesIntoBuffersOfAnySize) {
  MemoryFiles files;
  const Bytes block = StandardBlock(u"040904B0", kAllStrings);
  files.files[u"a.exe"] = testing::BuildPe(block);
  PeVersionSource source(files);
  Bytes longer(block.size() + 8, std::byte{0x55});
  ASSERT_TRUE(source.FileVersionInfo(u"a.exe", longer));
  EXPECT_TRUE(std::equal(block.begin(), block.end(), longer.begin()));
  EXPECT_EQ(longer.back(), std::byte{0});
  Bytes shorter(10);
  ASSERT_TRUE(source.FileVersionInfo(u"a.exe", shorter));
  EXPECT_TRUE(std::equal(shorter.begin(), shorter.end(), block.begin()));
  EXPECT_FALSE(source.FileVersionInfo(u"none.exe", shorter));
  EXPECT_EQ(source.LastError(), 2u);
}

// --- StreamFileReader ------------------------------------------------------

String PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return FromUtf8(std::string(text.begin(), text.end()));
}

TEST(StreamFileReader, ReadsFilesAndNamesWhyItCannot) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("varnel_version_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  const auto file = dir / std::filesystem::path(u8"versión ñ.exe");
  {
    std::ofstream out(file, std::ios::binary);
    out.write("MZ\0\x01", 4);
  }
  StreamFileReader reader;
  Bytes bytes;
  EXPECT_EQ(reader.ReadAll(PathText(file), bytes), 0u);
  EXPECT_EQ(bytes, (Bytes{std::byte{'M'}, std::byte{'Z'}, std::byte{0}, std::byte{1}}));
  EXPECT_EQ(reader.ReadAll(PathText(dir / "missing.exe"), bytes), kErrorFileNotFound);
  EXPECT_EQ(reader.ReadAll(PathText(dir / "nodir" / "missing.exe"), bytes), kErrorPathNotFound);
  EXPECT_EQ(reader.ReadAll(PathText(dir), bytes), kErrorAccessDenied);

  PeVersionSource source(reader);
  EXPECT_EQ(source.FileVersionInfoSize(PathText(file)), 0u);
  EXPECT_EQ(source.LastError(), 1812u);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace varnel
