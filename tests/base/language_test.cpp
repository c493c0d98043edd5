#include "base/language.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace sorvel {
namespace {

// Every test leaves the process in Spanish, as it starts.
class Languages : public ::testing::Test {
 protected:
  void TearDown() override { useLanguage(Language::spanish); }
};

TEST_F(Languages, PlacesAreFilledByNumberAndAnythingElseStaysText) {
  EXPECT_EQ(fillIn("Figura {0} de {1}", {"3", "10"}), "Figura 3 de 10");
  EXPECT_EQ(fillIn("{1}: {0}, again {0}", {"a", "b"}), "b: a, again a");
  // A place with no value, or not one digit, is left as it stands: a broken
  // translation shows its mistake instead of reading past the values.
  EXPECT_EQ(fillIn("{2} {x} {} {10} {", {"a", "b"}), "{2} {x} {} {10} {");
  EXPECT_EQ(fillIn("", {"a"}), "");
  EXPECT_EQ(fillIn("{0}", {"{0}"}), "{0}") << "a value is not read again as a pattern";
}

TEST_F(Languages, CodesAreTheNameMapsKeysAndNothingElse) {
  EXPECT_EQ(languageFromCode("es"), Language::spanish);
  EXPECT_EQ(languageFromCode("en"), Language::english);
  for (const char* bad : {"", "EN", "en_GB", "fr", "english"}) EXPECT_FALSE(languageFromCode(bad)) << bad;
  EXPECT_EQ(languageCode(Language::english), "en");
}

TEST_F(Languages, AFolderWithoutTheCatalogueIsNamedAndEnglishStaysSpanish) {
  const std::filesystem::path empty = std::filesystem::temp_directory_path() / "sorvel-no-catalogue";
  std::filesystem::create_directories(empty);
  const auto problem = openCatalogue(empty);
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->find((empty / "en" / "LC_MESSAGES" / "sorvel.mo").string()), std::string::npos) << *problem;
  ASSERT_FALSE(catalogueOpen());
  useLanguage(Language::english);
  EXPECT_EQ(tr("Hecho"), "Hecho");
  EXPECT_EQ(trn("{0} fallo", "{0} fallos", 2), "{0} fallos");
}

TEST_F(Languages, TheBuiltCatalogueGivesEnglishAndSpanishComesBackUnchanged) {
  const auto dir = catalogueDir();
  ASSERT_TRUE(dir) << "the build compiles po/en.po into its locale folder";
  ASSERT_FALSE(openCatalogue(*dir));
  EXPECT_EQ(tr("Hecho"), "Hecho") << "Spanish until English is chosen";

  useLanguage(Language::english);
  EXPECT_EQ(tr("Hecho"), "Done");
  EXPECT_EQ(trn("{0} fallo", "{0} fallos", 1), "{0} mistake");
  EXPECT_EQ(trn("{0} fallo", "{0} fallos", 0), "{0} mistakes");
  EXPECT_EQ(tr("un texto que no está en el catálogo"), "un texto que no está en el catálogo");
  const std::map<std::string, std::string> both{{"es", "La vaca"}, {"en", "The cow"}}, spanish{{"es", "La vaca"}};
  EXPECT_EQ(nameIn(both, "vaca"), "The cow");
  EXPECT_EQ(nameIn(spanish, "vaca"), "La vaca") << "an old file without English still names its toy";
  EXPECT_EQ(nameIn({}, "vaca"), "vaca");

  useLanguage(Language::spanish);
  EXPECT_EQ(tr("¿Borrar el progreso?"), "¿Borrar el progreso?");
  EXPECT_EQ(trn("{0} fallo", "{0} fallos", 1), "{0} fallo");
  EXPECT_EQ(nameIn(both, "vaca"), "La vaca");
}

}  // namespace
}  // namespace sorvel
