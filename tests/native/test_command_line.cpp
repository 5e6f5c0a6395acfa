#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "commandline/avi_target.h"
#include "commandline/command_line.h"
#include "commandline/exit_codes.h"
#include "commandline/time_arguments.h"
#include "commandline/usage.h"

namespace lumavex {
namespace {

using Args = std::vector<std::string>;

const std::string kChinese = "\xE7\x8E\x8B\xE4\xBC\x9F";                   // 王伟
const std::string kCyrillic = "\xD0\x90\xD0\xBB\xD0\xB8\xD1\x81\xD0\xB0";  // Алиса

// The error of a line that must be refused.
std::string ErrorOf(const Args& args) {
  const CommandLine line = ParseCommandLine(args);
  EXPECT_EQ(line.kind, CommandKind::Invalid) << "accepted: " << ::testing::PrintToString(args);
  EXPECT_FALSE(line.error.empty());
  return line.error;
}

WriteAviCommand WriteAviOf(const Args& args) {
  const CommandLine line = ParseCommandLine(args);
  EXPECT_EQ(line.kind, CommandKind::WriteAvi) << line.error;
  return line.writeAvi;
}

RecordCommand RecordOf(const Args& args) {
  const CommandLine line = ParseCommandLine(args);
  EXPECT_EQ(line.kind, CommandKind::Record) << line.error;
  return line.record;
}

TEST(AviTargetBesideFolder, PutsTheVideoBesideTheFolderWhateverSeparatorsEndIt) {
  EXPECT_EQ(AviTargetBesideFolder(R"(C:\rec\Alice01)"), R"(C:\rec\Alice01.avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(C:\rec\Alice01\)"), R"(C:\rec\Alice01.avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(C:\rec\Alice01\\/\)"), R"(C:\rec\Alice01.avi)");
  EXPECT_EQ(AviTargetBesideFolder("C:/rec/Alice01/"), "C:/rec/Alice01.avi");
  EXPECT_EQ(AviTargetBesideFolder("Alice01"), "Alice01.avi");
  EXPECT_EQ(AviTargetBesideFolder("C:Alice01\\"), "C:Alice01.avi");
  EXPECT_EQ(AviTargetBesideFolder(R"(\\server\share\rec\)"), R"(\\server\share\rec.avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(\\?\C:\rec\)"), R"(\\?\C:\rec.avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(\\?\U)"), R"(\\?\U.avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(\\?\UNC\server\share\rec)"), R"(\\?\UNC\server\share\rec.avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(D:\)" + kChinese + "\\"), R"(D:\)" + kChinese + ".avi");
  EXPECT_EQ(AviTargetBesideFolder(kCyrillic + " 01/"), kCyrillic + " 01.avi");
  // Names that merely begin or end with dots are names.
  EXPECT_EQ(AviTargetBesideFolder(R"(C:\rec\...\)"), R"(C:\rec\....avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(C:\rec\.hidden)"), R"(C:\rec\.hidden.avi)");
}

TEST(AviTargetBesideFolder, RootsAndDotsHaveNoNameToLend) {
  for (const char* folder : {"",
                             "\\",
                             "/",
                             "\\\\",
                             "C:",
                             "c:\\",
                             "Z:/",
                             "C:\\\\",
                             R"(\\server)",
                             R"(\\server\share)",
                             R"(\\server\share\\)",
                             "//server/share/",
                             R"(\\?\C:\)",
                             R"(\\?\)",
                             R"(\\.\C:)",
                             R"(\\?\UNC\)",
                             R"(\\?\unc)",
                             R"(\\?\UNC\server\share\)",
                             ".",
                             "..",
                             ".\\",
                             R"(C:\rec\..\)",
                             "rec/."}) {
    EXPECT_EQ(AviTargetBesideFolder(folder), std::nullopt) << folder;
  }
}

TEST(DurationMsFromText, SecondsMinutesAndHoursInAnyCase) {
  EXPECT_EQ(DurationMsFromText("90"), 90000);
  EXPECT_EQ(DurationMsFromText("90s"), 90000);
  EXPECT_EQ(DurationMsFromText("90S"), 90000);
  EXPECT_EQ(DurationMsFromText("15m"), 900000);
  EXPECT_EQ(DurationMsFromText("15M"), 900000);
  EXPECT_EQ(DurationMsFromText("2h"), 7200000);
  EXPECT_EQ(DurationMsFromText("2H"), 7200000);
  EXPECT_EQ(DurationMsFromText("007m"), 420000);
}

TEST(DurationMsFromText, DecimalsRoundToTheNearestMillisecond) {
  EXPECT_EQ(DurationMsFromText("1.5h"), 5400000);
  EXPECT_EQ(DurationMsFromText(".5m"), 30000);
  EXPECT_EQ(DurationMsFromText("2."), 2000);
  EXPECT_EQ(DurationMsFromText("0.001"), 1);
  EXPECT_EQ(DurationMsFromText("1.0005"), 1001);
  EXPECT_EQ(DurationMsFromText("1.0004999"), 1000);
  EXPECT_EQ(DurationMsFromText("0.0005"), 1);
}

TEST(DurationMsFromText, ExactEvenForLongDigitStrings) {
  EXPECT_EQ(DurationMsFromText(std::string(500, '0') + "1h"), 3600000);
  EXPECT_EQ(DurationMsFromText("0.0004" + std::string(300, '9')), std::nullopt);  // still below half a ms
  EXPECT_EQ(DurationMsFromText("0.0005" + std::string(300, '0')), 1);
  EXPECT_EQ(DurationMsFromText("1." + std::string(300, '0') + "1"), 1000);
}

TEST(DurationMsFromText, LimitIsTwentyFourDays) {
  EXPECT_EQ(DurationMsFromText("576h"), kMaxDurationMs);
  EXPECT_EQ(DurationMsFromText("34560m"), kMaxDurationMs);
  EXPECT_EQ(DurationMsFromText("2073600"), kMaxDurationMs);
  EXPECT_EQ(DurationMsFromText("2073600.0004"), kMaxDurationMs);
  EXPECT_EQ(DurationMsFromText("2073600.0005"), std::nullopt);
  EXPECT_EQ(DurationMsFromText("576.001h"), std::nullopt);
  EXPECT_EQ(DurationMsFromText(std::string(400, '9') + "h"), std::nullopt);
}

TEST(DurationMsFromText, RefusesZeroSignsUnitsAndJunk) {
  for (const char* text : {"",    "0",  "0s",  "0.0h", "00m", "0.0004",   "0.00000001h", "-5",    "+5",
                           "-1m", "5x", "5ms", "5min", "5 m", " 5",       "5 ",          "5.5.5", ".",
                           ".s",  "s",  "h",   "1e3",  "5,5", "\xD9\xA5", "5hh",         "1h30m"}) {
    EXPECT_EQ(DurationMsFromText(text), std::nullopt) << text;
  }
}

TEST(IntervalMsFromText, EveryMenuChoice) {
  const struct {
    const char* text;
    int ms;
  } choices[] = {{"0.1", 100}, {"0.2", 200},  {"0.5", 500},  {"1", 1000},   {"2", 2000},
                 {"5", 5000},  {"10", 10000}, {"30", 30000}, {"60", 60000}, {".5", 500}};
  for (const auto& choice : choices) EXPECT_EQ(IntervalMsFromText(choice.text), choice.ms) << choice.text;
}

TEST(IntervalMsFromText, ExactEdgesAndRounding) {
  EXPECT_EQ(IntervalMsFromText("0.1000"), 100);
  EXPECT_EQ(IntervalMsFromText("0.1004"), 100);
  EXPECT_EQ(IntervalMsFromText("0.1005"), 101);
  EXPECT_EQ(IntervalMsFromText("0.25"), 250);
  EXPECT_EQ(IntervalMsFromText("60.000"), 60000);
  EXPECT_EQ(IntervalMsFromText("59.9996"), 60000);
  EXPECT_EQ(IntervalMsFromText("0.0999"), std::nullopt);
  EXPECT_EQ(IntervalMsFromText("0.0" + std::string(200, '9')), std::nullopt);
  EXPECT_EQ(IntervalMsFromText("60.0001"), std::nullopt);
  EXPECT_EQ(IntervalMsFromText("60." + std::string(200, '0') + "1"), std::nullopt);
  EXPECT_EQ(IntervalMsFromText("61"), std::nullopt);
}

TEST(IntervalMsFromText, RefusesUnitsSignsAndJunk) {
  for (const char* text : {"", "0", "1s", "1m", "-1", "+1", "1e1", " 1", "1 ", "abc", ".", "0.05"})
    EXPECT_EQ(IntervalMsFromText(text), std::nullopt) << text;
}

TEST(ParseCommandLine, NoArgumentsChangeNothing) {
  const CommandLine line = ParseCommandLine({});
  EXPECT_EQ(line.kind, CommandKind::None);
  EXPECT_TRUE(line.error.empty());
}

TEST(ParseCommandLineWriteAvi, DefaultsAndOneVideoPerFolderInOrder) {
  const WriteAviCommand one = WriteAviOf({"--write-avi", R"(C:\rec\Alice01\)"});
  ASSERT_EQ(one.jobs.size(), 1u);
  EXPECT_EQ(one.jobs[0].folder, R"(C:\rec\Alice01\)");
  EXPECT_EQ(one.jobs[0].target, R"(C:\rec\Alice01.avi)");
  EXPECT_EQ(one.type, AviType::MotionJpeg);
  EXPECT_EQ(one.frameRate, 3);
  EXPECT_FALSE(one.overwrite);

  const WriteAviCommand three = WriteAviOf({"--write-avi", "b", R"(D:\a\)", "c/"});
  ASSERT_EQ(three.jobs.size(), 3u);
  EXPECT_EQ(three.jobs[0].target, "b.avi");
  EXPECT_EQ(three.jobs[1].target, R"(D:\a.avi)");
  EXPECT_EQ(three.jobs[2].target, "c.avi");
}

TEST(ParseCommandLineWriteAvi, EveryOptionInEveryForm) {
  for (const Args& args : {
           Args{"--write-avi", "A", "--out", "x.avi", "--type", "avi", "--fps", "10", "--overwrite"},
           Args{"/write-avi", "A", "/out", "x.avi", "/type", "avi", "/fps", "10", "/overwrite"},
           Args{"/WRITE-AVI", "A", "/OUT", "x.avi", "/Type", "AVI", "/FPS", "10", "/Overwrite"},
           Args{"--Write-Avi", "A", "--OUT", "x.avi", "--TYPE", "Avi", "--Fps", "10", "--OVERWRITE"},
           Args{"--write-avi=A", "--out=x.avi", "--type=avi", "--fps=10", "--overwrite"},
           Args{"/write-avi=A", "/out=x.avi", "/type=avi", "/fps=10", "/overwrite"},
           // Options may come before the command.
           Args{"--overwrite", "--fps", "10", "--type", "avi", "--out", "x.avi", "--write-avi", "A"},
       }) {
    const WriteAviCommand command = WriteAviOf(args);
    ASSERT_EQ(command.jobs.size(), 1u) << ::testing::PrintToString(args);
    EXPECT_EQ(command.jobs[0].folder, "A");
    EXPECT_EQ(command.jobs[0].target, "x.avi");
    EXPECT_EQ(command.type, AviType::Compressed);
    EXPECT_EQ(command.frameRate, 10);
    EXPECT_TRUE(command.overwrite);
  }
  EXPECT_EQ(WriteAviOf({"--write-avi", "A", "--type", "MJPEG"}).type, AviType::MotionJpeg);
  // More folders after a joined first one.
  EXPECT_EQ(WriteAviOf({"--write-avi=A", "B"}).jobs.size(), 2u);
}

TEST(ParseCommandLineWriteAvi, FpsFollowsTheFrameRateRule) {
  EXPECT_EQ(WriteAviOf({"--write-avi", "A", "--fps", "45"}).frameRate, 30);
  EXPECT_EQ(WriteAviOf({"--write-avi", "A", "--fps", "0"}).frameRate, 1);
  EXPECT_EQ(WriteAviOf({"--write-avi", "A", "--fps", "12.5"}).frameRate, 12);
  EXPECT_EQ(WriteAviOf({"--write-avi", "A", "--fps", "7 fps"}).frameRate, 7);
  EXPECT_EQ(WriteAviOf({"--write-avi", "A", "--fps", "2e1"}).frameRate, 20);
  EXPECT_EQ(WriteAviOf({"--write-avi", "A", "--fps", ".5e1"}).frameRate, 5);
  EXPECT_EQ(WriteAviOf({"--write-avi", "A", "--fps", "-5"}).frameRate, 1);
  // No number at all is a forgotten value, not the slowest rate.
  EXPECT_NE(ErrorOf({"--write-avi", "A", "--fps", "fast"}).find("fast"), std::string::npos);
  EXPECT_NE(ErrorOf({"--write-avi", "A", "--fps", "--overwrite"}).find("--overwrite"), std::string::npos);
  ErrorOf({"--write-avi", "A", "--fps="});
  ErrorOf({"--write-avi", "A", "--fps", "."});
}

TEST(ParseCommandLineWriteAvi, OutNeedsExactlyOneFolderButAnyFolder) {
  const WriteAviCommand root = WriteAviOf({"--write-avi", "C:\\", "--out", R"(D:\all.avi)"});
  ASSERT_EQ(root.jobs.size(), 1u);
  EXPECT_EQ(root.jobs[0].target, R"(D:\all.avi)");
  EXPECT_NE(ErrorOf({"--write-avi", "A", "B", "--out", "x.avi"}).find("--out"), std::string::npos);
  EXPECT_NE(ErrorOf({"--write-avi", "A", "B", "/OUT", "x.avi"}).find("/OUT"), std::string::npos);
  ErrorOf({"--write-avi", "A", "--out", ""});
  ErrorOf({"--write-avi", "A", "--out="});
}

TEST(ParseCommandLineWriteAvi, FoldersWithoutANameToLendAreRefused) {
  EXPECT_NE(ErrorOf({"--write-avi", "C:\\"}).find("C:\\"), std::string::npos);
  ErrorOf({"--write-avi", "A", "D:/"});
  ErrorOf({"--write-avi", R"(\\server\share\)"});
  ErrorOf({"--write-avi", ""});
  ErrorOf({"--write-avi="});
  ErrorOf({"--write-avi", "", "--out", "x.avi"});
}

TEST(ParseCommandLineWriteAvi, TwoFoldersForOneVideoAreRefused) {
  const std::string error = ErrorOf({"--write-avi", R"(C:\rec\A)", "x", "c:/REC/a/"});
  EXPECT_NE(error.find(R"(C:\rec\A)"), std::string::npos);
  EXPECT_NE(error.find("c:/REC/a/"), std::string::npos);
}

TEST(ParseCommandLineWriteAvi, AQuoteKeptByATrailingBackslashIsCaught) {
  // What Windows makes of: --write-avi "C:\rec\Alice01\" --fps 5
  EXPECT_NE(ErrorOf({"--write-avi", R"(C:\rec\Alice01" --fps 5)"}).find("quote"), std::string::npos);
  ErrorOf({"--write-avi", "A", "--out", R"(C:\out" x)"});
}

TEST(ParseCommandLineWriteAvi, AnyScriptPassesThroughUnchanged) {
  const std::string folder = R"(D:\Recordings\)" + kChinese + "07_Mar_2004";
  const std::string out = R"(E:\)" + kCyrillic + ".avi";
  const WriteAviCommand named = WriteAviOf({"/write-avi", folder, "/out", out});
  ASSERT_EQ(named.jobs.size(), 1u);
  EXPECT_EQ(named.jobs[0].folder, folder);
  EXPECT_EQ(named.jobs[0].target, out);
  const WriteAviCommand beside = WriteAviOf({"--write-avi", folder + "\\", kCyrillic});
  ASSERT_EQ(beside.jobs.size(), 2u);
  EXPECT_EQ(beside.jobs[0].target, folder + ".avi");
  EXPECT_EQ(beside.jobs[1].target, kCyrillic + ".avi");
}

TEST(ParseCommandLineWriteAvi, FoldersThatLookLikeOptions) {
  // After --, everything is a folder.
  const WriteAviCommand escaped = WriteAviOf({"--write-avi", "--", "-odd-", "/fps", "--"});
  ASSERT_EQ(escaped.jobs.size(), 3u);
  EXPECT_EQ(escaped.jobs[0].folder, "-odd-");
  EXPECT_EQ(escaped.jobs[1].folder, "/fps");
  EXPECT_EQ(escaped.jobs[2].folder, "--");
  EXPECT_EQ(escaped.frameRate, 3);
  // A / path with further separators is a folder, not an option.
  const WriteAviCommand paths =
      WriteAviOf({"--write-avi", "/rec/Alice01", "//server/share/rec", "/rec\\a=b"});
  ASSERT_EQ(paths.jobs.size(), 3u);
  EXPECT_EQ(paths.jobs[0].target, "/rec/Alice01.avi");
  EXPECT_EQ(paths.jobs[2].folder, "/rec\\a=b");
  // Without a further separator it is an option.
  EXPECT_NE(ErrorOf({"--write-avi", "/rec"}).find("/rec"), std::string::npos);
  EXPECT_NE(ErrorOf({"--write-avi", "-odd-"}).find("-odd-"), std::string::npos);
}

TEST(ParseCommandLineRecord, DefaultsLeaveTheWindowsOwnChoices) {
  const RecordCommand command = RecordOf({"--record", "Alice - Conversation"});
  EXPECT_EQ(command.title, "Alice - Conversation");
  EXPECT_EQ(command.saveTo, std::nullopt);
  EXPECT_EQ(command.durationMs, std::nullopt);
  EXPECT_EQ(command.intervalMs, std::nullopt);
  EXPECT_TRUE(command.jpg);
  EXPECT_FALSE(command.bmp);
  EXPECT_FALSE(command.stamp);
}

TEST(ParseCommandLineRecord, EveryOptionInEveryForm) {
  for (const Args& args : {
           Args{"--record", "T", "--save-to", "D:\\", "--for", "2h", "--interval", "0.5", "--bmp", "--no-jpg",
                "--stamp"},
           Args{"/record", "T", "/save-to", "D:\\", "/for", "2h", "/interval", "0.5", "/bmp", "/no-jpg",
                "/stamp"},
           Args{"/RECORD", "T", "/SAVE-TO", "D:\\", "/FOR", "2H", "/Interval", "0.5", "/BMP", "/No-Jpg",
                "/STAMP"},
           Args{"--record=T", "--save-to=D:\\", "--for=2h", "--interval=0.5", "--bmp", "--no-jpg", "--stamp"},
           Args{"--stamp", "--no-jpg", "--bmp", "--interval", "0.5", "--for", "2h", "--save-to", "D:\\",
                "--record", "T"},
       }) {
    const RecordCommand command = RecordOf(args);
    EXPECT_EQ(command.title, "T") << ::testing::PrintToString(args);
    EXPECT_EQ(command.saveTo, "D:\\");
    EXPECT_EQ(command.durationMs, 7200000);
    EXPECT_EQ(command.intervalMs, 500);
    EXPECT_FALSE(command.jpg);
    EXPECT_TRUE(command.bmp);
    EXPECT_TRUE(command.stamp);
  }
  const RecordCommand both = RecordOf({"--record", "T", "--bmp"});
  EXPECT_TRUE(both.jpg);
  EXPECT_TRUE(both.bmp);
}

TEST(ParseCommandLineRecord, TitleIsTheNextArgumentWhateverItLooksLike) {
  const std::string title = kChinese + " - " + kCyrillic + " - Conversation";
  EXPECT_EQ(RecordOf({"/record", title}).title, title);
  EXPECT_EQ(RecordOf({"--record", "-Alice-"}).title, "-Alice-");
  EXPECT_EQ(RecordOf({"--record", "--bmp"}).title, "--bmp");
  EXPECT_EQ(RecordOf({"--record", "/?"}).title, "/?");
  EXPECT_EQ(RecordOf({"--record", "--help"}).title, "--help");
  EXPECT_EQ(RecordOf({"--record", "a=b \"c\""}).title, "a=b \"c\"");
  EXPECT_EQ(RecordOf({"--record=--x=y"}).title, "--x=y");
  EXPECT_EQ(RecordOf({"--record", "T", "--save-to", R"(D:\)" + kCyrillic}).saveTo, R"(D:\)" + kCyrillic);
}

TEST(ParseCommandLineRecord, Refusals) {
  // An unquoted title with spaces arrives as several arguments.
  EXPECT_NE(ErrorOf({"--record", "Alice", "Smith"}).find("Smith"), std::string::npos);
  ErrorOf({"--record", ""});
  ErrorOf({"--record="});
  EXPECT_NE(ErrorOf({"--record", "T", "--no-jpg"}).find("--no-jpg"), std::string::npos);
  EXPECT_NE(ErrorOf({"--record", "T", "--for", "0"}).find("\"0\""), std::string::npos);
  ErrorOf({"--record", "T", "--for", "15min"});
  ErrorOf({"--record", "T", "--for", "-1h"});
  ErrorOf({"--record", "T", "--for", "577h"});
  EXPECT_NE(ErrorOf({"--record", "T", "--interval", "0.05"}).find("0.05"), std::string::npos);
  ErrorOf({"--record", "T", "--interval", "61"});
  ErrorOf({"--record", "T", "--interval", "5s"});
  ErrorOf({"--record", "T", "--save-to", ""});
  ErrorOf({"--record", "T", "--save-to", R"(D:\rec" --for 2h)"});
}

TEST(ParseCommandLineRecord, VideoCountsAsAnOutput) {
  EXPECT_FALSE(RecordOf({"--record", "T"}).video);
  const RecordCommand onlyVideo = RecordOf({"--record", "T", "--no-jpg", "/VIDEO"});
  EXPECT_TRUE(onlyVideo.video);
  EXPECT_FALSE(onlyVideo.jpg);
  EXPECT_FALSE(onlyVideo.bmp);
  EXPECT_NE(ErrorOf({"--write-avi", "A", "--video"}).find("--video"), std::string::npos);
  ErrorOf({"--record", "T", "--video=1"});
}

TEST(ParseCommandLineRepair, OneFileAlone) {
  for (const Args& args :
       {Args{"--repair", "D:\\rec\\Alice0000000.avi"}, Args{"/repair=D:\\rec\\Alice0000000.avi"}}) {
    const CommandLine line = ParseCommandLine(args);
    EXPECT_EQ(line.kind, CommandKind::Repair) << line.error;
    EXPECT_EQ(line.repairFile, "D:\\rec\\Alice0000000.avi");
  }
  EXPECT_EQ(ParseCommandLine({"--repair", "-odd-.avi"}).repairFile, "-odd-.avi");
  EXPECT_NE(ErrorOf({"--repair"}).find("FILE.avi"), std::string::npos);
  ErrorOf({"--repair", ""});
  EXPECT_NE(ErrorOf({"--repair", "a.avi", "b.avi"}).find("b.avi"), std::string::npos);
  ErrorOf({"--repair", "a.avi", "--record", "T"});
  ErrorOf({"--repair", "a.avi", "--fps", "5"});
  ErrorOf({"--repair", "a.avi", "--video"});
}

TEST(ParseCommandLineHelp, EveryFormAndWinsOverTheRest) {
  for (const Args& args : {Args{"--help"}, Args{"/?"}, Args{"/help"}, Args{"/HELP"}, Args{"--HELP"},
                           Args{"--?"}, Args{"--write-avi", "A", "--help"}, Args{"--record", "T", "/?"},
                           Args{"--bogus", "/?"}, Args{"--write-avi", "--help"}}) {
    EXPECT_EQ(ParseCommandLine(args).kind, CommandKind::Help) << ::testing::PrintToString(args);
  }
  // Help given as a value, or after --, is not help.
  EXPECT_EQ(ParseCommandLine({"--write-avi", "--", "/?"}).kind, CommandKind::WriteAvi);
}

TEST(ParseCommandLineErrors, UnknownAndMisspelledOptions) {
  EXPECT_NE(ErrorOf({"--write-avi", "A", "--frames", "5"}).find("--frames"), std::string::npos);
  EXPECT_NE(ErrorOf({"--write-avi", "A", "/Frames"}).find("/Frames"), std::string::npos);
  EXPECT_NE(ErrorOf({"--write-avi", "A", "-fps", "5"}).find("--fps"), std::string::npos);
  ErrorOf({"--write-avi", "A", "--fps5"});
  ErrorOf({"--write-avi", "A", "--=5"});
  ErrorOf({"-?"});
}

TEST(ParseCommandLineErrors, MissingValues) {
  for (const char* option : {"--out", "--type", "--fps"})
    EXPECT_NE(ErrorOf({"--write-avi", "A", option}).find(option), std::string::npos) << option;
  for (const char* option : {"--save-to", "--for", "--interval"})
    EXPECT_NE(ErrorOf({"--record", "T", option}).find(option), std::string::npos) << option;
  EXPECT_NE(ErrorOf({"--record"}).find("TITLE"), std::string::npos);
  EXPECT_NE(ErrorOf({"/RECORD"}).find("/RECORD"), std::string::npos);
}

TEST(ParseCommandLineErrors, ValuesAndSwitchesForTheWrongCommand) {
  for (const Args& extra : {Args{"--save-to", "D:\\"}, Args{"--for", "2h"}, Args{"--interval", "1"},
                            Args{"--bmp"}, Args{"--no-jpg"}, Args{"--stamp"}}) {
    Args args{"--write-avi", "A"};
    args.insert(args.end(), extra.begin(), extra.end());
    EXPECT_NE(ErrorOf(args).find(extra[0]), std::string::npos) << extra[0];
  }
  for (const Args& extra :
       {Args{"--out", "x.avi"}, Args{"--type", "avi"}, Args{"--fps", "5"}, Args{"/overwrite"}}) {
    Args args{"--record", "T"};
    args.insert(args.end(), extra.begin(), extra.end());
    EXPECT_NE(ErrorOf(args).find(extra[0]), std::string::npos) << extra[0];
  }
}

TEST(ParseCommandLineErrors, CommandsMissingDoubledOrBoth) {
  EXPECT_NE(ErrorOf({"--write-avi"}).find("FOLDER"), std::string::npos);
  ErrorOf({"--write-avi", "--fps", "5"});
  ErrorOf({"--write-avi", "A", "--record", "T"});
  ErrorOf({"--record", "T", "--write-avi", "A"});
  ErrorOf({"--write-avi", "A", "--write-avi", "B"});
  ErrorOf({"--fps", "5"});
  ErrorOf({"--overwrite"});
  ErrorOf({"--"});
  // Folders come after the command.
  EXPECT_NE(ErrorOf({"A", "--write-avi", "B"}).find("\"A\""), std::string::npos);
  ErrorOf({R"(C:\rec\Alice01)"});
  ErrorOf({""});
}

TEST(ParseCommandLineErrors, OptionsGivenTwiceOrSwitchesGivenValues) {
  EXPECT_NE(ErrorOf({"--write-avi", "A", "--fps", "5", "/FPS", "6"}).find("/FPS"), std::string::npos);
  ErrorOf({"--write-avi", "A", "--overwrite", "--overwrite"});
  ErrorOf({"--record", "T", "--for", "1h", "--for=2h"});
  EXPECT_NE(ErrorOf({"--write-avi", "A", "--overwrite=yes"}).find("--overwrite"), std::string::npos);
  ErrorOf({"--record", "T", "/bmp=1"});
}

TEST(ParseCommandLineErrors, TypeIsMjpegOrAvi) {
  EXPECT_NE(ErrorOf({"--write-avi", "A", "--type", "mp4"}).find("mp4"), std::string::npos);
  ErrorOf({"--write-avi", "A", "--type", ""});
  ErrorOf({"--write-avi", "A", "--type", "mjpeg "});
}

TEST(UsageText, FitsEightyColumnsAndNamesEveryOptionTheParserTakes) {
  const std::string usage = UsageText();
  std::istringstream lines(usage);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    EXPECT_LT(line.size(), 80u) << line;
    ++count;
  }
  EXPECT_GT(count, 20);
  EXPECT_EQ(usage.back(), '\n');
  for (const char* option :
       {"--write-avi", "--out", "--type", "--fps", "--overwrite", "--record", "--save-to", "--for",
        "--interval", "--bmp", "--no-jpg", "--stamp", "--video", "--repair", "--help", "/?"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
    // Named in the usage, so the parser must know it: never "unknown".
    const CommandLine parsed = ParseCommandLine({option});
    EXPECT_EQ(parsed.error.find("unknown"), std::string::npos) << option << ": " << parsed.error;
  }
  for (const char* form :
       {"90s", "15m", "2h", "1.5h", "576h", "/FPS 5", "--fps=5", "--record -Alice-", "After --"})
    EXPECT_NE(usage.find(form), std::string::npos) << form;
}

TEST(UsageText, ExitCodesAreTheOnesDocumented) {
  const std::string usage = UsageText();
  for (int code : {kExitDone, kExitFailed, kExitBadCommandLine})
    EXPECT_NE(usage.find("\n  " + std::to_string(code) + "  "), std::string::npos) << code;
}

}  // namespace
}  // namespace lumavex
