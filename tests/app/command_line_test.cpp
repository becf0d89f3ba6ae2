#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace zel::app {

namespace {

struct Parsed {
  ParseOutcome outcome;
  CommandLine options;
  std::string out, err;
};

Parsed Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "zel16");
  Parsed p;
  p.outcome = ParseCommandLine(static_cast<int>(args.size()), args.data(), p.options, p.out, p.err);
  return p;
}

TEST(CommandLine, NoArgumentsIsTheDesignedProgram) {
  Parsed p = Parse({});
  EXPECT_EQ(p.outcome, ParseOutcome::Run);
  EXPECT_FALSE(p.options.noSetup);
  EXPECT_FALSE(p.options.batch);
  EXPECT_EQ(p.options.fixedStep, 0);
  EXPECT_FALSE(p.options.startGiven);
  EXPECT_TRUE(p.options.dataDir.empty());
}

TEST(CommandLine, HelpAndVersionExitWithText) {
  Parsed help = Parse({"--help"});
  EXPECT_EQ(help.outcome, ParseOutcome::Exit);
  EXPECT_NE(help.out.find("--fixed-step TICKS"), std::string::npos);
  Parsed version = Parse({"--version"});
  EXPECT_EQ(version.outcome, ParseOutcome::Exit);
  EXPECT_NE(version.out.find("Zel 16"), std::string::npos);
}

TEST(CommandLine, NoSetupWithWindowOrFullscreen) {
  Parsed w = Parse({"--no-setup", "--window", "640x480", "--batch"});
  ASSERT_EQ(w.outcome, ParseOutcome::Run);
  EXPECT_TRUE(w.options.noSetup);
  EXPECT_FALSE(w.options.fullscreen);
  EXPECT_EQ(w.options.width, 640);
  EXPECT_EQ(w.options.height, 480);
  EXPECT_TRUE(w.options.batch);

  Parsed f = Parse({"--fullscreen=1024x768", "--no-setup"});
  ASSERT_EQ(f.outcome, ParseOutcome::Run);
  EXPECT_TRUE(f.options.fullscreen);
  EXPECT_EQ(f.options.width, 1024);
  EXPECT_EQ(f.options.height, 768);
}

TEST(CommandLine, StartDataAndFixedStep) {
  Parsed p = Parse({"--start", "19.5", "--data", "/tmp/x", "--fixed-step", "16"});
  ASSERT_EQ(p.outcome, ParseOutcome::Run);
  EXPECT_TRUE(p.options.startGiven);
  EXPECT_FLOAT_EQ(p.options.startSeconds, 19.5f);
  EXPECT_EQ(p.options.dataDir, "/tmp/x");
  EXPECT_EQ(p.options.fixedStep, 16);
}

TEST(CommandLine, BadInputGivesUsage) {
  const std::vector<std::vector<const char*>> bad = {
      {"--bogus"},
      {"--window", "640x480"},            // needs --no-setup
      {"--no-setup"},                     // needs a size
      {"--no-setup", "--window", "640"},  // no height
      {"--no-setup", "--window", "0x480"},
      {"--no-setup", "--window", "-640x480"},
      {"--no-setup", "--window", "640x480x3"},
      {"--no-setup", "--window", "99999999x480"},
      {"--start"},                        // missing value
      {"--start", "abc"},
      {"--start", "-1"},
      {"--start", "nan"},
      {"--fixed-step", "0"},
      {"--fixed-step", "1.5"},
      {"--batch=yes"},
      {"--data", ""},
      {"stray"},
  };
  for (const auto& args : bad) {
    Parsed p = Parse(args);
    EXPECT_EQ(p.outcome, ParseOutcome::Error) << args[0];
    EXPECT_NE(p.err.find("usage:"), std::string::npos) << args[0];
  }
}

TEST(CommandLine, ViewingOptionsDefaultOffAndParse) {
  Parsed none = Parse({});
  EXPECT_FALSE(none.options.noVsync || none.options.mute || none.options.borderless ||
               none.options.listAudioDevices);
  EXPECT_TRUE(none.options.audioDevice.empty());
  EXPECT_EQ(none.options.display, 0);

  Parsed p = Parse({"--no-vsync", "--mute", "--audio-device", "USB Audio, analog", "--borderless",
                    "--display=1"});
  ASSERT_EQ(p.outcome, ParseOutcome::Run) << p.err;
  EXPECT_TRUE(p.options.noVsync);
  EXPECT_TRUE(p.options.mute);
  EXPECT_EQ(p.options.audioDevice, "USB Audio, analog");
  EXPECT_TRUE(p.options.borderless);
  EXPECT_EQ(p.options.display, 1);
  EXPECT_TRUE(Parse({"--list-audio-devices"}).options.listAudioDevices);
}

TEST(CommandLine, BadViewingValuesAreRefused) {
  EXPECT_EQ(Parse({"--display", "-1"}).outcome, ParseOutcome::Error);
  EXPECT_EQ(Parse({"--display", "one"}).outcome, ParseOutcome::Error);
  EXPECT_EQ(Parse({"--display", "64"}).outcome, ParseOutcome::Error);
  EXPECT_EQ(Parse({"--audio-device", ""}).outcome, ParseOutcome::Error);
  EXPECT_EQ(Parse({"--audio-device"}).outcome, ParseOutcome::Error);
  EXPECT_EQ(Parse({"--mute=yes"}).outcome, ParseOutcome::Error);
}

}  // namespace

}  // namespace zel::app
