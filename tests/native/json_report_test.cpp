#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "setup/JsonReport.h"

using namespace varnel;
using namespace varnel::setup;
using namespace varnel::versioninfo;
using nlohmann::json;

TEST(JsonReport, ItemLinesCarryExactlyTheKeysOfTheirPhase) {
  ItemResult registered;
  registered.Path = u"C:\\Srv\\Nómina \"A\".exe";
  registered.Ok = true;
  const json first = json::parse(ReportItemLine(registered));
  EXPECT_EQ(first,
            json::parse(R"({"path":"C:\\Srv\\Nómina \"A\".exe","phase":"register","ok":true})"));

  ItemResult failed;
  failed.Path = u"C:\\b.exe";
  failed.Phase = RunPhase::Identidad;
  failed.Ok = false;
  failed.Reason = u"El valor RunAs es \"x\"\r\nno \"y\".";
  failed.ProgId = u"b.bDMR";
  const std::string text = ReportItemLine(failed);
  EXPECT_EQ(text.find('\n'), std::string::npos) << "one object a line";
  const json second = json::parse(text);
  EXPECT_EQ(second["error"], "El valor RunAs es \"x\"\r\nno \"y\".");
  EXPECT_TRUE(second["runAs"].is_null());
  EXPECT_EQ(second["clsid"], "");
  EXPECT_EQ(second.size(), 10u);  // with appId, runAsBefore and changed
  EXPECT_TRUE(second["appId"].is_null()) << "no AppID was found";
  EXPECT_EQ(second["changed"], false);

  ItemResult whatIf;
  whatIf.Path = u"C:\\c.exe";
  whatIf.Phase = RunPhase::Consulta;
  whatIf.Ok = true;
  whatIf.ProgId = u"c.cDMR";
  whatIf.Clsid = u"{00000000-0000-0000-0000-00000000000C}";
  whatIf.Identity.RunAs = {true, true, u"Interactive User"};
  const json third = json::parse(ReportItemLine(whatIf));
  EXPECT_EQ(third["phase"], "whatif");
  EXPECT_EQ(third["runAs"], "Interactive User");
  EXPECT_FALSE(third.contains("error"));
}

TEST(JsonReport, ANameThatIsNotValidUtf16StillGivesAReadableLine) {
  String path = u"C:\\x";
  path += char16_t(0xD800);  // a lone surrogate, possible in NTFS names
  path += u".exe";
  ItemResult item;
  item.Path = path;
  EXPECT_TRUE(json::accept(ReportItemLine(item)));
}

TEST(JsonReport, SummaryLine) {
  const json errors = json::parse(ReportSummaryLine(
      {.Result = "errors", .Servers = 5, .Failed = 2, .Seconds = 1.5, .ExitCode = 1}));
  EXPECT_EQ(errors["summary"], "errors");
  EXPECT_EQ(errors["servers"], 5);
  EXPECT_EQ(errors["failed"], 2);
  EXPECT_EQ(errors["seconds"], 1.5);
  EXPECT_EQ(errors["exitCode"], 1);
  EXPECT_FALSE(errors.contains("reason"));
  EXPECT_EQ(json::parse(ReportSummaryLine({}))["summary"], "success");
}
