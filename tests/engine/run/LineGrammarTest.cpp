// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter list: mapping lines, extension lines, the swap and the
// run's summary.
#include "EngineFixture.h"
#include "run/ParameterLine.h"

namespace trasvex::test {
namespace {

class LineGrammar : public EngineFixture {
 protected:
  bool Analyse(const std::string& line) { return engine_.AnaliceLinea(line, dest_, source_); }
  std::string dest_, source_;
};

TEST_F(LineGrammar, MappingOfAnExistingDirectoryGetsASeparator) {
  tree_.Add("datos/");
  EXPECT_TRUE(Analyse(" " + P("copia") + " \t=  " + P("datos") + "\r"));
  EXPECT_EQ(dest_, P("copia"));
  EXPECT_EQ(source_, P("datos/"));
  EXPECT_TRUE(Analyse(P("copia") + "=" + P("datos/")));
  EXPECT_EQ(source_, P("datos//"));
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(LineGrammar, MappingOfAMaskOrFileInsideAnExistingDirectory) {
  tree_.Add("datos/");
  EXPECT_TRUE(Analyse(P("copia") + " = " + P("datos/*.txt")));
  EXPECT_EQ(source_, P("datos/*.txt"));
  EXPECT_TRUE(Analyse(P("copia") + " = " + P("datos/informe.doc")));
  EXPECT_TRUE(Analyse(P("copia") + " = " + P("datos/a=b.txt")));  // split at the first "="
  EXPECT_EQ(source_, P("datos/a=b.txt"));
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(LineGrammar, RejectedMappingsShowTheirMessage) {
  EXPECT_FALSE(Analyse("no hay igual"));
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_FALSE(Analyse(P("x") + " = " + P("x")));
  EXPECT_FALSE(Analyse("d = *.txt"));
  EXPECT_FALSE(Analyse(P("d") + " = "));
  EXPECT_EQ(host_.messages,
            (std::vector<std::string>{"ERROR: los directorios fuente y destino son iguales!",
                                      "ERROR: el directorio *.txt no existe!",
                                      "ERROR: el directorio  no existe!"}));
}

TEST_F(LineGrammar, EqualityIsCaseSensitive) {
  tree_.Add("datos/");
  EXPECT_TRUE(Analyse(P("DATOS") + "=" + P("datos")));
}

TEST_F(LineGrammar, MissingSourceMessageIsCutBeforeItsEnding) {
  const std::string source = "/no/" + std::string(250, 'x');
  EXPECT_FALSE(Analyse("d=" + source));
  ASSERT_EQ(host_.messages.size(), 1u);
  const std::string& message = host_.messages[0];
  EXPECT_EQ(message.size(), 254u + std::string(" no existe!").size());
  EXPECT_TRUE(message.ends_with("x no existe!"));
}

TEST_F(LineGrammar, ExtensionWordsBecomeMasks) {
  struct Row {
    const char* line;
    std::vector<std::string> masks;
  };
  const Row rows[] = {
      {"txt doc", {"*.txt", "*.doc"}},
      {".pas .dfm", {"*.pas", "*.dfm"}},
      {"a*.txt *.*", {"a*.txt", "*.*"}},
      {"informe.doc", {"informe.doc"}},
      {".tar.gz", {"*.tar.gz"}},
      {"  txt   doc  ", {"*.txt", "*.doc"}},
      {"a\tb c", {"*.a\tb", "*.c"}},
      {"", {}},
      {" \t ", {}},
      {"C:\\datos = C:\\datos", {"*.C:\\datos", "*.=", "*.C:\\datos"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    engine_.Extensiones(row.line);
    EXPECT_EQ(engine_.Extensions(), row.masks);
  }
  engine_.Extensiones(std::string(255, 'w'));
  EXPECT_EQ(engine_.Extensions().at(0).size(), 255u);
}

TEST_F(LineGrammar, SwapExchangesTheSidesOfEachLine) {
  EXPECT_EQ(ParameterLine::InviertaLinea("D:\\copia = C:\\datos"), "C:\\datos=D:\\copia");
  EXPECT_EQ(ParameterLine::InviertaLinea("txt doc"), "txt doc");
  EXPECT_EQ(ParameterLine::InviertaLinea("a=b=c"), "b=c=a");
  EXPECT_EQ(ParameterLine::InviertaLinea("b=c=a"), "c=a=b");
  EXPECT_EQ(ParameterLine::InviertaLinea(std::string(300, 'x')), std::string(255, 'x'));
  host_.lines = {" d = s ", "txt", ""};
  engine_.CambiarBtnClick();
  EXPECT_EQ(host_.lines, (std::vector<std::string>{"s=d", "txt", ""}));
  engine_.CambiarBtnClick();
  EXPECT_EQ(host_.lines[0], "d=s");
}

TEST_F(LineGrammar, EmptyListsGiveEmptySummaries) {
  Run({});
  EXPECT_EQ(host_.status[1], "Archs (0): 0 copias, 0 fallos.");
  EXPECT_EQ(host_.resets, 0);
  List({});
  EXPECT_EQ(host_.status[1], "Archs (0): 0 exitos, 0 fallos.");
  EXPECT_EQ(host_.resets, 1);
  EXPECT_EQ(host_.rowCount, 20);
  EXPECT_EQ(host_.busyChanges, (std::vector<bool>{true, false, true, false}));
}

TEST_F(LineGrammar, ExtensionLinesFilterTheMappingsAfterThem) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/b.doc 2020-01-01 00:00:00");
  tree_.Add("src/c.pas 2020-01-01 00:00:00");
  Run({"@/d1 = @/src", "txt", "@/d2 = @/src", "", "@/d3 = @/src", "@/src = @/src", "@/d4 = @/src"});
  EXPECT_EQ(tree_.List("d1"), (std::vector<std::string>{"a.txt", "b.doc", "c.pas"}));
  EXPECT_EQ(tree_.List("d2"), (std::vector<std::string>{"a.txt"}));
  EXPECT_EQ(tree_.List("d3"), (std::vector<std::string>{"a.txt", "b.doc", "c.pas"}));
  EXPECT_TRUE(tree_.List("d4").empty());  // the rejected line became the filter
  EXPECT_EQ(host_.status[1], "Archs (7): 7 copias, 0 fallos.");
}

TEST_F(LineGrammar, StatusShowsTheMappingLineAsReadNotCut) {
  tree_.Add("src/");
  Run({"@/d = @/src" + std::string(300, ' ')});
  EXPECT_EQ(host_.status[0], host_.lines[0]);
  EXPECT_GT(host_.status[0].size(), 255u);
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(LineGrammar, AnEqualsSignBeyondTheCutMakesAnExtensionLine) {
  for (const std::size_t before : {255, 256}) {  // "=" as byte 256 and 257
    SCOPED_TRACE(before);
    Run({std::string(before, 'x') + "=src"});
    ASSERT_EQ(engine_.Extensions().size(), 1u);
    EXPECT_EQ(engine_.Extensions()[0], "*." + std::string(253, 'x'));
    EXPECT_TRUE(host_.messages.empty());
  }
}

TEST_F(LineGrammar, ASecondRunRequestedDuringARunIsIgnored) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/b.txt 2020-01-01 00:00:00");
  host_.onProcessEvents = [this] { engine_.CopyBtnClick(); };
  Run({"@/d = @/src"});
  EXPECT_EQ(host_.status[1], "Archs (2): 2 copias, 0 fallos.");
  EXPECT_FALSE(engine_.Running());
}

}  // namespace
}  // namespace trasvex::test
