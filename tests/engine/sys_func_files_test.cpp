// Files, display modes, web addresses and Calc, called from compiled expressions as scripts call
// them. Each table runs in order, so a step sees what the earlier ones left in the variables.
// Whether a function leaves its target alone is seen through the dispatcher, with a target that
// reads "old" before the call.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/build_vorn_parser.h"
#include "engine/engine_seams.h"
#include "engine/param_collection.h"
#include "engine/script_files.h"
#include "engine/sys_func_man.h"
#include "engine/typed_params.h"
#include "engine/url_opening.h"
#include "engine/vorn_parser.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "platform/url_opener.h"
#include "plain_engine_seams.h"
#include "support/engine_fixture.h"
#include "support/script_expression.h"

namespace vorn {
namespace {

class FileFunctions : public ::testing::Test {
 protected:
  FileFunctions() {
    previous_files_ = SetScriptFiles(&files_);
    previous_opener_ = SetUrlOpener(&opener_);
    Declare("target", PT_STR);
    Declare("s", PT_STR);
    Declare("t", PT_STR);
    Declare("lines", PT_STR);
    Declare("caps", PT_STR);
    for (const char* name : {"n", "k", "w", "h", "b", "f", "slots"}) Declare(name, PT_INT);
  }
  ~FileFunctions() override {
    SetUrlOpener(previous_opener_);
    SetScriptFiles(previous_files_);
  }

  void Declare(std::string_view name, std::uint8_t type) { params_.AddParam(type).SetName(name); }
  void AddFile(const std::string& name, const std::string& text) {
    files_.files[name] = std::vector<std::uint8_t>(text.begin(), text.end());
  }

  std::string Evaluate(std::string_view text) {
    return vorn::testing::EvaluateScriptText(text);
  }

  std::string Direct(TSysFunc function, const std::vector<std::string>& texts) {
    TParamCollectionItem& target = *params_.FindParam("target");
    target.SetAsString("old");
    std::vector<std::unique_ptr<TParamStr>> values;
    std::vector<TCustomParam*> args;
    for (const std::string& text : texts) {
      values.push_back(std::make_unique<TParamStr>());
      values.back()->SetAsString(text);
      args.push_back(values.back().get());
    }
    man_.Execute(target, static_cast<std::uint8_t>(function), args);
    return target.GetAsString();
  }

  struct Step {
    const char* expression;
    const char* expected;  // null: the value is not looked at
  };
  void RunSteps(const std::vector<Step>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const std::string got = Evaluate(steps[i].expression);
      if (steps[i].expected != nullptr) {
        EXPECT_EQ(got, steps[i].expected) << "step " << i << ": " << steps[i].expression;
      }
    }
  }

  TParamCollection params_;
  TSysFuncMan man_;
  TMemoryScriptFiles files_;
  platform::RecordingUrlOpener opener_;
  TScriptFiles* previous_files_ = nullptr;
  platform::UrlOpener* previous_opener_ = nullptr;
};

TEST_F(FileFunctions, ExistenceAndTextFiles) {
  AddFile("mixed.txt", "one\r\ntwo\rthree\nfour");
  AddFile("blank lines.txt", "a\n\nb\r\r\nc\r\n");
  AddFile("only break.txt", "\r\n");
  AddFile("empty.txt", "");
  AddFile("\x83\x5c.txt", "sjis name");  // ソ: its trail byte is a backslash
  RunSteps({
      {"FileExists(\"\")", "FALSE"},
      {"FileExists(\"mixed.txt\")", "TRUE"},
      {"FileExists(\"absent.txt\")", "FALSE"},
      {"FileExists(\"\x83\x5c.txt\")", "TRUE"},
      // CR, LF and CR LF each end one line; a break at the very end opens no further line.
      {"LoadTextFile(lines, \"mixed.txt\")", "TRUE"},
      {"ArrayToString(lines, \"|\")", "one|two|three|four"},
      {"GetArraySize(lines)", "4"},
      {"LoadTextFile(lines, \"blank lines.txt\")", "TRUE"},
      {"ArrayToString(lines, \"|\")", "a||b||c"},
      {"LoadTextFile(lines, \"only break.txt\")", "TRUE"},
      {"GetArraySize(lines)", "1"},
      {"ArrayToString(lines, \"|\")", ""},
      {"LoadTextFile(lines, \"\x83\x5c.txt\")", "TRUE"},
      {"ArrayToString(lines, \"|\")", "sjis name"},
      // An empty or missing file leaves the lines as they were.
      {"LoadTextFile(lines, \"mixed.txt\")", "TRUE"},
      {"LoadTextFile(lines, \"empty.txt\")", "FALSE"},
      {"LoadTextFile(lines, \"absent.txt\")", "FALSE"},
      {"LoadTextFile(lines, \"\")", "FALSE"},
      {"ArrayToString(lines, \"|\")", "one|two|three|four"},
      // Assigned to a variable of another type, the result converts.
      {"n = LoadTextFile(lines, \"mixed.txt\")", nullptr},
      {"n", "1"},
  });
}

TEST_F(FileFunctions, DisplayModesOnlyForAValidIndex) {
  testing::TInstalledScreen window;
  window.screen.modes = {{640, 480, 16, 60}, {800, 600, 32, 75}};
  RunSteps({
      {"GetDisplayMode(1, w, h, b, f)", "TRUE"},
      {"w * 10000 + h", "8000600"},
      {"b * 100 + f", "3275"},
      {"GetDisplayMode(0, w, h, b, f)", "TRUE"},
      {"w * 10000 + h", "6400480"},
      {"b * 100 + f", "1660"},
      {"GetDisplayMode(2, w, h, b, f)", "FALSE"},
      {"GetDisplayMode(-1, w, h, b, f)", "FALSE"},
      {"GetDisplayMode(\"x\", w, h, b, f)", "TRUE"},  // a text that is no number reads as mode 0
      {"w = 1", nullptr},
      {"GetDisplayMode(5, w, h, b, f)", "FALSE"},
      {"w", "1"},
  });
}

TEST_F(FileFunctions, DisplayModesWithoutAScreen) {
  testing::TInstalledScreen window;
  SetScreenControl(nullptr);
  RunSteps({
      {"w = 3", nullptr},
      {"GetDisplayMode(0, w, h, b, f)", "FALSE"},
      {"w", "3"},
  });
  SetScreenControl(&window.screen);
}

TEST_F(FileFunctions, OnlyWebAndFtpAddressesAreOpened) {
  struct Case {
    const char* url;
    bool opened;
  };
  const Case cases[] = {
      {"http://example.com/", true},
      {"https://a.example/?q=1;x='2'", true},
      {"ftp://files.example/", true},
      {"httpish", true},  // only the first bytes are looked at
      {"HTTP://x", false},
      {"Ftp://x", false},
      {"mailto:x", false},
      {" http://x", false},
      {"file:///etc/passwd", false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    opener_.urls.clear();
    EXPECT_EQ(Direct(TSysFunc::OpenUrl, {c.url}), "old");
    EXPECT_EQ(opener_.urls, c.opened ? std::vector<std::string>{c.url} : std::vector<std::string>{});
  }
}

TEST_F(FileFunctions, OpenUrlHandsOverUtf8AndNothingWithoutAnOpener) {
  Evaluate("OpenUrl(\"http://x/\x83\x5c\")");  // ソ
  EXPECT_EQ(opener_.urls, std::vector<std::string>{"http://x/\xE3\x82\xBD"});
  SetUrlOpener(nullptr);
  Evaluate("OpenUrl(\"http://y/\")");
  EXPECT_EQ(opener_.urls.size(), 1u);
}

TEST_F(FileFunctions, Calc) {
  struct Case {
    const char* text;
    const char* target;
    const char* n_after;
  };
  const Case cases[] = {
      {"n = 5 + 2", "TRUE", "7"},
      {"  n = n * 2  ", "TRUE", "14"},
      {"n", "TRUE", "14"},  // an expression without assignment runs too
      // Each failure leaves the target and the variables as they were.
      {"", "old", "14"},
      {" \t\r\n ", "old", "14"},
      {"n = Copy(\"abc\")", "old", "14"},  // wrong argument count
      {"n = NoSuchFunction(1)", "old", "14"},
      {"n = (1 +", "old", "14"},  // does not compile
      {"n = undefinedVariable + 1", "old", "14"},  // fails while running
      {"n = 3", "TRUE", "3"},
  };
  Evaluate("n = 1");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Direct(TSysFunc::Calc, {c.text}), c.target);
    EXPECT_EQ(Evaluate("n"), c.n_after);
  }
  // From a script, with the text in a variable.
  RunSteps({
      {"s = \"n = n + 10\"", nullptr},
      {"Calc(s)", "TRUE"},
      {"n", "13"},
      {"k = Length(\"abcd\") * 100 + Min(Calc(\"n = (1 + 2) * (3 + 4) + (5 + 6) * (7 + 8)\"), 0)", nullptr},
      {"k", "400"},
      {"n", "186"},
  });
}

TEST_F(FileFunctions, CalcOfATextThatCallsItselfStops) {
  RunSteps({
      {"s = \"Calc(s)\"", nullptr},
      {"Calc(s)", "TRUE"},
      // Every level but the one past the bound runs its text once.
      {"k = 0", nullptr},
      {"t = \"k = k + 1 + Min(Calc(t), 0)\"", nullptr},
      {"Calc(t)", "TRUE"},
      {"k", "64"},
      // The bound is per nesting, not per program run.
      {"Calc(\"n = 9\")", "TRUE"},
      {"n", "9"},
  });
}

TEST_F(FileFunctions, CalcOfADeepTextThatCallsItselfStaysOnTheStack) {
  // As deep as the compiler accepts, at every level of Calc.
  const std::string deep = std::string(150, '(') + "0" + std::string(150, ')');
  params_.FindParam("t")->SetAsString("k = k + 1 + Min(Calc(t), 0) + " + deep);
  RunSteps({
      {"k = 0", nullptr},
      {"Calc(t)", "TRUE"},
      {"k", "64"},
  });
}

TEST_F(FileFunctions, CalcOfDeeplyNestedTextFailsAsACompileError) {
  const std::string deep = "n = " + std::string(5000, '(') + "1" + std::string(5000, ')');
  Evaluate("n = 2");
  EXPECT_EQ(Direct(TSysFunc::Calc, {deep}), "old");
  EXPECT_EQ(Evaluate("n"), "2");
}

TEST_F(FileFunctions, SaveCaptionsWithoutAnyListNothing) {
  RunSteps({
      {"caps = \"keep\"", nullptr},
      {"slots = 7", nullptr},
      {"ListSaveCaption()", "0"},
      // Dimensioning to no element fails; the evaluator swallows it and nothing is stored.
      {"ListSaveCaption(caps, slots)", "(none: \x94\x7a\x97\xf1\x82\xcc\x97\x76\x91\x66\x90\x94[0]\x82\xaa\x95\x73\x90\xb3\x82\xc5\x82\xb7)"},
      {"ListSaveCaption(caps)", nullptr},
      {"caps", "keep"},
      {"slots", "7"},
      {"GetSaveCaption(0)", ""},
  });
}

// Two games saved by a running project, listed as save.dat lists them.
TEST(SaveCaptionFunctions, ReadTheProjectsList) {
  testing::EngineFixture engine("file_functions_captions");
  engine.AddProject(fixture::ProjectWriter());
  fixture::PageWriter start;
  start.Add(fixture::PageCommand(38).Expr("3").Str("start.vsb").Int(0).Expr("\"Chapter \x82\x52\""));  // ３
  start.Add(fixture::PageCommand(38).Expr("1").Str("start.vsb").Int(0).Expr("\"Intro\""));
  engine.AddPage("start.vsb", start);
  engine.Start();
  engine.RunFrames(2);
  ASSERT_EQ(engine.project()->SlotCaptions().size(), 2u);
  TSysFuncMan man;
  engine.params().AddParam(PT_STR).SetName("caps");
  engine.params().AddParam(PT_INT).SetName("slots");
  struct Step {
    const char* expression;
    const char* expected;
  };
  const Step steps[] = {
      {"ListSaveCaption()", "2"},
      {"ListSaveCaption(caps)", "2"},
      {"ArrayToString(caps, \"|\")", "Chapter \x82\x52|Intro"},
      {"ListSaveCaption(caps, slots)", "2"},
      {"ArrayToString(slots, \"|\")", "3|1"},
      {"GetArraySize(slots)", "2"},
      {"GetSaveCaption(1)", "Intro"},
      {"GetSaveCaption(3)", "Chapter \x82\x52"},
      {"GetSaveCaption(2)", ""},
      {"GetSaveCaption(\"3\")", "Chapter \x82\x52"},
  };
  for (const Step& step : steps) {
    TBuildVornParser builder;
    builder.Compile(step.expression);
    TMemoryStream stream;
    builder.SaveToStream(stream);
    stream.SetPosition(0);
    TVornParser parser;
    parser.LoadFromStream(stream);
    parser.Execute();
    ASSERT_NE(parser.Result(), nullptr) << step.expression << ": " << parser.LastError();
    EXPECT_EQ(parser.Result()->GetAsString(), step.expected) << step.expression;
  }
  engine.Stop();
}

}  // namespace
}  // namespace vorn
