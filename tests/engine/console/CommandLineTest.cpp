// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "console/CommandLine.h"

namespace trasvex {
namespace {

TEST(CommandLine, SwitchesInAnyCase) {
  const CommandLine line = CommandLine::Parse({"lista.txt", "auto", "List", "NODIRS", "nuevos"});
  EXPECT_EQ(line.nombreConfig, "lista.txt");
  EXPECT_TRUE(line.autoEjecutar);
  EXPECT_TRUE(line.options.listado);
  EXPECT_FALSE(line.options.listaCopia);
  EXPECT_FALSE(line.options.subDirs);
  EXPECT_TRUE(line.options.recientes);
}

TEST(CommandLine, DefaultsWithoutSwitches) {
  const CommandLine line = CommandLine::Parse({"lista.txt"});
  EXPECT_FALSE(line.autoEjecutar);
  EXPECT_TRUE(line.options.subDirs);
  EXPECT_FALSE(line.options.listado);
  EXPECT_FALSE(line.options.recientes);
}

TEST(CommandLine, ListCopyAndListAllTickListado) {
  EXPECT_TRUE(CommandLine::Parse({"x", "LISTCOPY"}).options.listaCopia);
  EXPECT_TRUE(CommandLine::Parse({"x", "LISTCOPY"}).options.listado);
  EXPECT_TRUE(CommandLine::Parse({"x", "listall"}).options.listado);
}

TEST(CommandLine, NoneOrSixArgumentsUseTheDefaultAndNothingElse) {
  for (const auto& arguments : {std::vector<std::string>{},
                                std::vector<std::string>{"a", "AUTO", "LIST", "x", "y", "z"}}) {
    const CommandLine line = CommandLine::Parse(arguments);
    EXPECT_EQ(line.nombreConfig, "remotos.rtf");
    EXPECT_FALSE(line.autoEjecutar);
    EXPECT_FALSE(line.options.listado);
  }
}

TEST(CommandLine, TheFirstArgumentIsAlwaysTheName) {
  const CommandLine line = CommandLine::Parse({"auto"});
  EXPECT_EQ(line.nombreConfig, "auto");
  EXPECT_FALSE(line.autoEjecutar);
}

TEST(CommandLine, OnlyWholeWordsAndAsciiLettersAreSwitches) {
  EXPECT_FALSE(CommandLine::Parse({"x", "AUTOMATIC"}).autoEjecutar);
  EXPECT_FALSE(CommandLine::Parse({"x", "AUTO "}).autoEjecutar);
  // Upper-casing raises a to z only, so a dotless i stays what it is.
  EXPECT_FALSE(CommandLine::Parse({"x", "nuevos\xC4\xB1"}).options.recientes);
  EXPECT_TRUE(CommandLine::Parse({"x", "x", "nuevos"}).options.recientes);
}

}  // namespace
}  // namespace trasvex
