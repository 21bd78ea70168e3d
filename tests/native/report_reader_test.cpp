#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/ReportReader.h"

using namespace varnel;
using namespace varnel::setup;

namespace {

const std::string kSummary =
    R"({"summary":"errors","servers":3,"failed":1,"seconds":2.5,"changed":2,"identity":"user",)"
    R"("host":"SRV","started":"2024-05-01T10:00:00Z","exitCode":1})";

// An identity line as the unattended mode writes it.
std::string Identity(const std::string& path, const std::string& appId, const std::string& before,
                     bool ok = true) {
  return R"({"path":")" + path + R"(","phase":"identity","ok":)" + (ok ? "true" : "false") +
         (ok ? "" : R"(,"error":"El valor RunAs no es el esperado")") +
         R"(,"progId":"p.pDMR","clsid":"{00000000-0000-0000-0000-000000000001}","appId":)" + appId +
         R"(,"runAsBefore":)" + before + R"(,"runAs":"DOM\\op","changed":true})";
}

String Refusal(const std::string& report) {
  try {
    const auto taken = IdentitiesToRestore(report);
    return u"(accepted " + IntToStr(static_cast<std::int64_t>(taken.size())) + u")";
  } catch (const EReportError& e) {
    return e.Message();
  }
}

String AtLine(int line, const String& what) {
  return u"El informe no es de Varnel.exe o está dañado: línea " + IntToStr(line) + u": " + what +
         u".";
}

}  // namespace

TEST(ReportReader, TakesEveryIdentityLineThatNamesAnAppId) {
  const std::string report =
      "\xEF\xBB\xBF"
      R"({"path":"C:\\Srv\\Nómina.exe","phase":"register","ok":true})"
      "\r\n" +
      Identity(R"(C:\\Srv\\Nómina.exe)", R"("{0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5D}")", "null") +
      "\r\n" +
      Identity(R"(C:\\Srv\\b.exe)", R"("{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}")",
               R"("Interactive User")", false) +
      "\r\n"
      // Not registered: no AppID was handed to DComPerm, nothing to put back.
      + Identity(R"(C:\\Srv\\c.exe)", R"("")", "null", false) + "\n" +
      Identity(R"(C:\\Srv\\d.exe)", "null", "null", false) + "\n" +
      R"({"path":"C:\\Srv\\b.exe","phase":"verify","ok":true,"progId":"b.bDMR"})"
      "\n"
      R"({"path":"C:\\Srv\\b.exe","phase":"restore","ok":true,"appId":"{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}"})"
      "\n" +
      kSummary + "\r\n\r\n\n";

  const std::vector<ReportedIdentity> taken = IdentitiesToRestore(report);
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].Path, u"C:\\Srv\\Nómina.exe");
  EXPECT_EQ(taken[0].ProgId, u"p.pDMR");
  EXPECT_EQ(taken[0].AppId, u"{0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5D}");
  EXPECT_EQ(taken[0].RunAsBefore, std::nullopt);
  // A failed step is taken too: the check after DComPerm can fail when the
  // value changed all the same.
  EXPECT_EQ(taken[1].Path, u"C:\\Srv\\b.exe");
  EXPECT_EQ(taken[1].AppId, u"{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}");
  EXPECT_EQ(taken[1].RunAsBefore, u"Interactive User");

  // A job that set no identity still is a report.
  EXPECT_TRUE(IdentitiesToRestore(R"({"summary":"refused","exitCode":2})").empty());
}

TEST(ReportReader, TheSameAppIdTwiceKeepsTheValueFromBeforeTheRun) {
  const std::string report =
      Identity("a", R"("{0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5D}")", R"("Interactive User")") + "\n" +
      Identity("b", R"("{0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d}")", R"("DOM\\op")") + "\n" +
      Identity("c", R"("{0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5E}")", "null") + "\n" + kSummary;
  const std::vector<ReportedIdentity> taken = IdentitiesToRestore(report);
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].Path, u"a");
  EXPECT_EQ(taken[0].RunAsBefore, u"Interactive User");
  EXPECT_EQ(taken[1].Path, u"c");
}

TEST(ReportReader, DamageIsRefusedAtItsLine) {
  const std::string good = Identity("a", R"("{0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5D}")", "null");
  const auto withSecond = [&](const std::string& line) {
    return good + "\n" + line + "\n" + kSummary + "\n";
  };
  const auto identityWith = [](const std::string& appId, const std::string& before) {
    return Identity("b", appId, before);
  };

  EXPECT_EQ(Refusal(withSecond("")), AtLine(2, u"línea en blanco"));
  EXPECT_EQ(Refusal(withSecond(" \t")), AtLine(2, u"línea en blanco"));
  EXPECT_EQ(Refusal(good + "\n" + good.substr(0, 40)), AtLine(2, u"no es un objeto JSON"));
  EXPECT_EQ(Refusal(withSecond(std::string("{}\0{\"summary\":\"x\"}", 18))),
            AtLine(2, u"no es un objeto JSON"));
  EXPECT_EQ(Refusal(withSecond("{\"path\":\"\xC3(\",\"phase\":\"register\",\"ok\":true}")),
            AtLine(2, u"no es texto UTF-8"));
  EXPECT_EQ(Refusal(withSecond(R"({"path":"x","phase":"install","ok":true})")),
            AtLine(2, u"no es una línea del informe"));
  EXPECT_EQ(Refusal(withSecond(R"({"path":7,"phase":"register","ok":true})")),
            AtLine(2, u"no es una línea del informe"));
  EXPECT_EQ(Refusal(withSecond(R"({"path":"x","phase":"register","ok":"yes"})")),
            AtLine(2, u"falta \"ok\" o no es true ni false"));
  EXPECT_EQ(Refusal(withSecond(R"({"path":"x","phase":"identity","ok":true,"runAsBefore":null})")),
            AtLine(2, u"falta \"appId\""));
  EXPECT_EQ(
      Refusal(withSecond(identityWith(R"("{0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5D}\\x")", "null"))),
      AtLine(2, u"\"appId\" no es un identificador entre llaves"));
  EXPECT_EQ(
      Refusal(withSecond(identityWith(R"("{0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5G}")", "null"))),
      AtLine(2, u"\"appId\" no es un identificador entre llaves"));
  EXPECT_EQ(Refusal(withSecond(identityWith(R"("0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5D")", "null"))),
            AtLine(2, u"\"appId\" no es un identificador entre llaves"));
  EXPECT_EQ(Refusal(withSecond(identityWith("42", "null"))),
            AtLine(2, u"\"appId\" no es un identificador entre llaves"));
  EXPECT_EQ(
      Refusal(withSecond(identityWith(R"("{0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5D}")", "false"))),
      AtLine(2, u"\"runAsBefore\" no es texto ni null"));
  EXPECT_EQ(
      Refusal(withSecond(
          R"({"path":"x","phase":"identity","ok":true,"appId":"{0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5D}"})")),
      AtLine(2, u"falta \"runAsBefore\""));
  EXPECT_EQ(
      Refusal(withSecond(
          R"({"path":"x","phase":"identity","ok":true,"appId":"{0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5D}","runAsBefore":null})")),
      AtLine(2, u"falta \"progId\" o no es texto"));

  // The summary: once, last, a text.
  EXPECT_EQ(Refusal(good + "\n" + good + "\r\n\r\n"),
            AtLine(2, u"falta la línea de resumen al final"));
  EXPECT_EQ(Refusal(kSummary + "\n" + good + "\n" + kSummary),
            AtLine(1, u"la línea de resumen no es la última"));
  EXPECT_EQ(Refusal(good + "\n" + kSummary + "\n" + kSummary),
            AtLine(2, u"la línea de resumen no es la última"));
  EXPECT_EQ(Refusal(good + "\n" + R"({"summary":true})"), AtLine(2, u"\"summary\" no es texto"));
}

TEST(ReportReader, WhatIsNotOurReportIsRefusedAtLineOne) {
  EXPECT_EQ(Refusal(""), AtLine(1, u"el archivo está vacío"));
  EXPECT_EQ(Refusal("\xEF\xBB\xBF\r\n \n"), AtLine(1, u"el archivo está vacío"));
  EXPECT_EQ(Refusal("path,phase,ok\nC:\\a.exe,register,true\n"),
            AtLine(1, u"no es un objeto JSON"));
  EXPECT_EQ(Refusal("[" + kSummary + "]\n"), AtLine(1, u"no es un objeto JSON"));
  EXPECT_EQ(Refusal(R"({"name":"Varnel","version":16})"),
            AtLine(1, u"no es una línea del informe"));
  // The same report saved as UTF-16 by an editor.
  std::string wide = "\xFF\xFE";
  for (const char c : kSummary) wide += {c, '\0'};
  EXPECT_EQ(Refusal(wide), AtLine(1, u"no es texto UTF-8"));
}
