// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping walk: tags, what qualifies, recursion, listing cells and the
// copy, over real temporary trees.
#include <cstdlib>
#include <filesystem>
#include <set>

#include "EngineFixture.h"

namespace trasvex::test {
namespace {

using Names = std::vector<std::string>;

class Walk : public EngineFixture {};

TEST_F(Walk, CopiesMissingAndChangedFilesThenNothing) {
  tree_.Add("src/a.txt 2020-01-02 10:00:00");
  tree_.Add("src/sub/b.txt 2021-03-04 05:06:07");
  Run({"@/dst = @/src"});
  EXPECT_EQ(host_.status[1], "Archs (2): 2 copias, 0 fallos.");
  EXPECT_EQ(tree_.Read("dst/sub/b.txt"), "src/sub/b.txt");
  EXPECT_EQ(tree_.Stamp("dst/sub/b.txt"), TempTree::LocalTime("2021-03-04 05:06:07"));
  EXPECT_EQ(host_.pumps, 3);  // one for the mapping, one for each file acted on
  Run({"@/dst = @/src"});
  EXPECT_EQ(host_.status[1], "Archs (2): 0 copias, 0 fallos.");
  EXPECT_EQ(host_.pumps, 4);
  EXPECT_TRUE(host_.messages.empty());
}

// A destination inside its own source gets one copy of the source: the
// walk never enters the destination, copying or listing.
TEST_F(Walk, ADestinationInsideItsSourceIsNotWalked) {
  tree_.Add("src/a.txt 2020-01-02 10:00:00");
  tree_.Add("src/sub/b.txt 2021-03-04 05:06:07");
  struct Case {
    const char* line;
    const char* copy;
    Names top;
  } cases[] = {
      {"@/src/copia = @/src", "src/copia", Names{"a.txt", "sub"}},
      {"@/src/sub/copia = @/src", "src/sub/copia", Names{"a.txt", "sub"}},
      {"@/src/copia = @/src/../src/", "src/copia", Names{"a.txt", "sub"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    host_.options.listado = true;
    Run({c.line});
    EXPECT_EQ(host_.status[1], "Archs (2): 2 exitos, 0 fallos.");
    host_.options.listado = false;
    Run({c.line});
    EXPECT_EQ(host_.status[1], "Archs (2): 2 copias, 0 fallos.");
    EXPECT_EQ(tree_.List(c.copy), c.top);
    EXPECT_EQ(tree_.Read(std::string(c.copy) + "/sub/b.txt"), "src/sub/b.txt");
    std::filesystem::remove_all(P(c.copy));
  }
}

TEST_F(Walk, RecientesKeepsNewerDestinationFiles) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("dst/a.txt 2022-01-01 00:00:00");
  host_.options.recientes = true;
  Run({"@/dst = @/src"});
  EXPECT_EQ(tree_.Read("dst/a.txt"), "dst/a.txt");
  EXPECT_EQ(Counters().hechos, 0);
  host_.options.recientes = false;
  Run({"@/dst = @/src"});
  EXPECT_EQ(tree_.Read("dst/a.txt"), "src/a.txt");
}

// A target with its source's time and another size is what a crash leaves
// of a copy whose data never reached the disk: it is copied again, with or
// without "Recientes", and listed with a tag of its own. A target of the
// same size and time is left alone.
TEST_F(Walk, ATargetWithItsSourcesTimeAndAnotherSizeIsCopiedAgain) {
  for (const bool recientes : {false, true}) {
    SCOPED_TRACE(recientes ? "Recientes" : "all");
    tree_.Add("src/vacio.txt 2024-05-03 10:00:00 3000");
    tree_.Add("src/corto.txt 2024-05-03 10:00:00 5000");
    tree_.Add("src/igual.txt 2024-05-03 10:00:00 7");
    tree_.Add("dst/vacio.txt 2024-05-03 10:00:00 0");
    tree_.Add("dst/corto.txt 2024-05-03 10:00:01 4096");  // same two-second slot
    tree_.Add("dst/igual.txt 2024-05-03 10:00:00 7");
    tree_.Write("dst/igual.txt", "destino");
    tree_.SetStamp("dst/igual.txt", "2024-05-03 10:00:00");
    host_.options.recientes = recientes;
    List({"@/dst = @/src"});
    std::map<std::string, std::string> tags;
    for (const ResultRow& row : host_.Rows())
      tags[row[2]] = row[5];
    EXPECT_EQ(tags, (std::map<std::string, std::string>{{"corto", "  *"}, {"vacio", "  *"}}));
    host_.options.listado = false;
    Run({"@/dst = @/src"});
    EXPECT_EQ(host_.status[1], "Archs (3): 2 copias, 0 fallos.");
    EXPECT_EQ(tree_.Read("dst/vacio.txt"), std::string(3000, 'x'));
    EXPECT_EQ(tree_.Read("dst/corto.txt"), std::string(5000, 'x'));
    EXPECT_EQ(tree_.Read("dst/igual.txt"), "destino");
    Run({"@/dst = @/src"});
    EXPECT_EQ(host_.status[1], "Archs (3): 0 copias, 0 fallos.");
  }
}

TEST_F(Walk, ListingTagsAndCells) {
  tree_.Add("src/nuevo.txt 2024-05-03 10:11:13 1536");
  tree_.Add("src/informe.final.doc 2024-05-03 10:00:00 512");
  tree_.Add("src/LEEME 2024-05-03 10:00:00 0");
  tree_.Add("src/.perfil 2024-05-03 10:00:00");  // hidden: never listed
  tree_.Add("src/igual.txt 2024-05-03 10:00:00");
  tree_.Add("src/viejo.txt 2020-01-01 00:00:00");
  tree_.Add("dst/informe.final.doc 2020-01-01 00:00:00");
  tree_.Add("dst/igual.txt 2024-05-03 10:00:01");  // same two-second slot
  tree_.Add("dst/viejo.txt 2022-01-01 00:00:00");
  List({"@/dst = @/src"});
  std::map<std::string, ResultRow> byName;
  for (const ResultRow& row : host_.Rows())
    byName[row[2]] = row;
  ASSERT_EQ(byName.size(), 4u);
  EXPECT_EQ(byName["nuevo"],
            (ResultRow{Dated("2024/05/03 10:11:12"), P("src"), "nuevo", ".TXT", "     2K", "  0"}));
  EXPECT_EQ(byName["informe.final"][3], ".DOC");
  EXPECT_EQ(byName["informe.final"][4], "     1K");
  EXPECT_EQ(byName["informe.final"][5], "  +");
  EXPECT_EQ(byName["LEEME"][3], "");
  EXPECT_EQ(byName["LEEME"][4], "     0K");
  EXPECT_EQ(byName["viejo"][5], "  -");
  EXPECT_EQ(host_.status[1], "Archs (5): 4 exitos, 0 fallos.");
  EXPECT_EQ(host_.rowCount, 20);
  EXPECT_FALSE(tree_.Exists("dst/nuevo.txt"));  // a listing copies nothing
}

#ifndef _WIN32
// Stamps are local times in a zone with an offset and daylight saving too
// (Windows takes the system's zone, which a test cannot set).
TEST_F(Walk, StampsAreLocalTimesInAZoneWithSummerTime) {
  const std::string utc = ::getenv("TZ") ? ::getenv("TZ") : "";
  ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  ::tzset();
  tree_.Add("src/verano.txt 2024-05-03 10:11:13");
  tree_.Add("src/invierno.txt 2024-01-15 10:11:13");
  List({"@/dst = @/src"});
  std::set<std::string> dates;
  for (const ResultRow& row : host_.Rows())
    dates.insert(row[0]);
  host_.options.listado = false;
  Run({"@/dst = @/src"});
  Run({"@/dst = @/src"});
  ::setenv("TZ", utc.c_str(), 1);
  ::tzset();
  EXPECT_EQ(dates, (std::set<std::string>{Dated("2024/01/15 10:11:12"),
                                          Dated("2024/05/03 10:11:12")}));
  EXPECT_EQ(host_.status[1], "Archs (2): 0 copias, 0 fallos.");  // the copies compare equal
}
#endif

TEST_F(Walk, ListCopyLayoutAndTheSizingAfterTheRun) {
  for (int i = 0; i < 25; ++i)
    tree_.Add("src/f" + std::to_string(i) + ".txt 2020-01-01 00:00:00");
  host_.options.listaCopia = true;
  List({"@/dst = @/src"});
  ASSERT_EQ(host_.rows.size(), 25u);
  EXPECT_EQ(host_.rows.begin()->first, 1);
  EXPECT_EQ(host_.rows.rbegin()->first, 25);
  const ResultRow& row = host_.rows.at(1);
  EXPECT_EQ(row[0], "Copy");
  EXPECT_EQ(row[1], P("src") + "/");  // a slash on every platform
  EXPECT_EQ(row[3], P("dst"));
  EXPECT_EQ(row[4], "");
  EXPECT_EQ(host_.rowCount, 26);
}

TEST_F(Walk, ListingCreatesMissingDestinationDirectories) {
  tree_.Add("src/a/b/c/");
  tree_.Add("src/a/x.txt 2020-01-01 00:00:00");
  List({"@/dst = @/src"});
  EXPECT_TRUE(tree_.Exists("dst/a/b/c"));
  EXPECT_EQ(host_.rows.size(), 1u);
}

TEST_F(Walk, WithoutSubDirsDirectoriesAreExaminedLikeFiles) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/sub/b.txt 2020-01-01 00:00:00");
  host_.options.subDirs = false;
  Run({"@/dst = @/src"});
  EXPECT_EQ(host_.status[1], "Archs (2): 1 copias, 1 fallos.");
  EXPECT_EQ(host_.messages, Names{"ERROR: No se pudo copiar el archivo " + P("src/sub")});
  EXPECT_EQ(tree_.List("dst"), Names{"a.txt"});
  host_.messages.clear();
  List({"@/dst = @/src"});
  ASSERT_EQ(host_.rows.size(), 1u);
  EXPECT_EQ(host_.rows.at(1)[2], "sub");
  EXPECT_EQ(host_.rows.at(1)[4], "     0K");
}

TEST_F(Walk, AFileMatchedByTwoMasksIsHandledTwice) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  Run({"txt *.t*", "@/dst = @/src"});
  EXPECT_EQ(host_.status[1], "Archs (2): 1 copias, 0 fallos.");
  List({"txt *.t*", "@/dst2 = @/src"});
  EXPECT_EQ(host_.rows.size(), 2u);
}

TEST_F(Walk, ExtensionListWithSubDirsWalksEverySubdirectory) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/vacio/");
  tree_.Add("src/fotos.doc/x.doc 2020-01-01 00:00:00");
  tree_.Add("src/.oculto/y.doc 2020-01-01 00:00:00");
  Run({"doc", "@/dst = @/src"});
  EXPECT_EQ(tree_.List("dst"), (Names{"fotos.doc", "vacio"}));
  // 'fotos.doc' matches the mask and is walked by both scans.
  EXPECT_EQ(Counters().examinados, 2);
}

TEST_F(Walk, AMaskSourceDescendsOnlyIntoMatchingDirectories) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/b.doc 2020-01-01 00:00:00");
  tree_.Add("src/dir.txt/c.doc 2020-01-01 00:00:00");
  tree_.Add("src/otro/d.txt 2020-01-01 00:00:00");
  Run({"@/dst = @/src/*.txt"});
  EXPECT_EQ(tree_.List("dst"), (Names{"a.txt", "dir.txt"}));
  EXPECT_EQ(tree_.List("dst/dir.txt"), Names{"c.doc"});
}

TEST_F(Walk, AMaskWithADirectoryPartCopiesTheFilesItFound) {
  tree_.Add("src/x.txt 2020-01-01 00:00:00");
  tree_.Add("src/sub/x.txt 2021-01-01 00:00:00");
  tree_.Add("src/sub/y.txt 2021-01-01 00:00:00");
  Run({"sub/*.txt", "@/dst = @/src"});
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(tree_.Read("dst/x.txt"), "src/sub/x.txt");
  EXPECT_EQ(tree_.Read("dst/y.txt"), "src/sub/y.txt");
  List({"sub/*.txt", "@/dst2 = @/src"});
  for (const ResultRow& row : host_.Rows())
    EXPECT_EQ(row[1], P("src/sub"));
}

TEST_F(Walk, StampsFrom2044OnAreNewerNotOlder) {
  tree_.Add("src/futuro.txt 2050-06-01 00:00:00");
  tree_.Add("dst/futuro.txt 2040-06-01 00:00:00");
  tree_.Add("src/pasado.txt 2040-06-01 00:00:00");
  tree_.Add("dst/pasado.txt 2050-06-01 00:00:00");
  host_.options.recientes = true;
  Run({"@/dst = @/src"});
  EXPECT_EQ(tree_.Read("dst/futuro.txt"), "src/futuro.txt");
  EXPECT_EQ(tree_.Read("dst/pasado.txt"), "dst/pasado.txt");
}

TEST_F(Walk, UnpackableTimesAreClampedSoCopiesCompareEqualAfterwards) {
  tree_.Add("src/antiguo.txt 1975-01-01 00:00:00");
  tree_.Add("src/lejano.txt 2150-01-01 00:00:00");
  Run({"@/dst = @/src"});
  EXPECT_EQ(Counters().hechos, 2);
  List({"@/dst = @/src"});
  EXPECT_TRUE(host_.rows.empty());
  tree_.Add("src2/antiguo.txt 1975-01-01 00:00:00 15");  // the size of dst/antiguo.txt
  List({"@/dst = @/src2"});
  EXPECT_TRUE(host_.rows.empty());  // an existing file is never reported missing
}

TEST_F(Walk, PathsLongerThan255BytesAreNeverCut) {
  const std::string deep = std::string(120, 'a') + "/" + std::string(120, 'b') + "/" +
                           std::string(120, 'c');
  tree_.Add("src/" + deep + "/" + std::string(100, 'f') + ".txt 2020-01-01 00:00:00");
  Run({"@/dst = @/src"});
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(tree_.Read("dst/" + deep + "/" + std::string(100, 'f') + ".txt"),
            "src/" + deep + "/" + std::string(100, 'f') + ".txt");
  List({"@/dst2 = @/src"});
  ASSERT_EQ(host_.rows.size(), 1u);
  EXPECT_EQ(host_.rows.at(1)[1], P("src/" + deep));
}

// Sibling directories whose names begin alike, each taken right after a
// shorter one: from the source side by the walk, from the destination side
// by the look-ups.
TEST_F(Walk, SiblingsWhoseNamesBeginAlikeAreKeptApart) {
  const Names siblings = {"f", "f2", "fa", "fab"};
  std::vector<std::string> lines;
  for (const std::string& name : siblings) {
    tree_.Add("src/" + name + "/x.txt 2020-01-01 00:00:00");
    tree_.Add("dst/" + name + "/y.txt 2020-01-01 00:00:00");
    lines.push_back("@/dst/" + name + " = @/src/" + name);
  }
  Run(lines);
  EXPECT_EQ(host_.status[1], "Archs (4): 4 copias, 0 fallos.");
  for (const std::string& name : siblings) {
    SCOPED_TRACE(name);
    EXPECT_EQ(tree_.Read("dst/" + name + "/x.txt"), "src/" + name + "/x.txt");
    EXPECT_NE(fs_->FileAge(P("dst/" + name + "/y.txt")), kNoFile);
  }
}

TEST_F(Walk, AnUncreatableDestinationSkipsOnlyItsMapping) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/sub/b.txt 2020-01-01 00:00:00");
  tree_.Add("dst/sub 2020-01-01 00:00:00");  // a file where a directory should be
  Run({"@/falta/dst = @/src", "@/dst = @/src", "= @/src"});
  EXPECT_EQ(host_.messages,
            (Names{"ERROR: No se ha podido crear el directorio " + P("falta/dst") + ".",
                   "ERROR: No se ha podido crear el directorio " + P("dst/sub") + ".",
                   "ERROR: No se ha podido crear el directorio ."}));
  EXPECT_EQ(tree_.Read("dst/a.txt"), "src/a.txt");
}

TEST_F(Walk, OptionsAreReadAtTheirPointOfUse) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/b.txt 2020-01-01 00:00:00");
  host_.onProcessEvents = [this] { host_.options.listado = false; };
  List({"@/dst = @/src"});
  // Listado was cleared at the first file: the rest are copied, and the
  // summary speaks of copies without sizing the table.
  EXPECT_EQ(host_.rows.size(), 0u);
  EXPECT_EQ(tree_.List("dst"), (Names{"a.txt", "b.txt"}));
  EXPECT_EQ(host_.status[1], "Archs (2): 2 copias, 0 fallos.");
  EXPECT_EQ(host_.rowCount, 20);
}

}  // namespace
}  // namespace trasvex::test
