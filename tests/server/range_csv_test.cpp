#include "ped06900/range_csv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "range_fixture.h"

namespace ped06900 {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::TempDatabase;

const char* const kHeader = "NRSEQRENT;VRPERCINIRENT;VRPERCFIMRENT;VRCORRENT;IDBLOQUEIAPED\n";

TEST(RangeCsvTest, ExportThenImportGivesTheSameDoubles) {
  TempDatabase source;
  auto store = source.Open();
  std::istringstream in(std::string(kHeader) +
                        "0000000001;0.1;10.005;16777215;S\r\n"
                        "\n"
                        "0000000002;-1e+300;-3.3333333333333335;0;N\n"
                        "0000000003;20.000000000000004;25;255;N\n");
  EXPECT_EQ(ImportRangesCsv(*store, in), 3u);

  std::ostringstream out;
  EXPECT_EQ(ExportRangesCsv(*store, out), 3u);
  EXPECT_EQ(out.str(), std::string(kHeader) +
                           "0000000002;-1e+300;-3.3333333333333335;0;N\n"
                           "0000000001;0.1;10.005;16777215;S\n"
                           "0000000003;20.000000000000004;25;255;N\n");

  TempDatabase copy;
  auto copied = copy.Open();
  std::istringstream again(out.str());
  ImportRangesCsv(*copied, again);
  EXPECT_EQ(copied->All(), store->All());
}

TEST(RangeCsvTest, ABadFileNamesItsLineAndStoresNothing) {
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {"", "nenhum intervalo"},
      {kHeader, "nenhum intervalo"},
      {"NRSEQRENT,VRPERCINIRENT\n0000000001,1,2,3,S\n", "Linha 1: o cabeçalho"},
      {std::string(kHeader) + "0000000001;1;2;3\n", "Linha 2: são esperados 5 valores"},
      {std::string(kHeader) + "0000000001;1;2;3;N\n0000000002;1,5;2;3;N\n",
       "Linha 3: número inválido no campo VRPERCINIRENT"},
      {std::string(kHeader) + "0000000001;1;2;3;N\n0000000002;3;4;x;N\n", "Linha 3: número"},
      {std::string(kHeader) + "0000000001;1;2;3;N\n\n0000000002;1.5;4;3;N\n",
       "Linha 4: Valor Inicial já cadastrado"},
      {std::string(kHeader) + "0000000001;1;2;;N\n", "Linha 2: Cor deve ser definida"},
      {std::string(kHeader) + "0000000001;1;2;3;N\n0000000001;5;6;3;N\n", "Linha 3: Já existe"},
  };
  for (const auto& c : cases) {
    TempDatabase db;
    auto store = db.Open();
    std::istringstream in(c.text);
    try {
      ImportRangesCsv(*store, in);
      ADD_FAILURE() << c.text << ": accepted";
    } catch (const CsvError& e) {
      EXPECT_THAT(e.Message(), HasSubstr(c.message)) << c.text;
    }
    EXPECT_THAT(store->All(), IsEmpty()) << c.text;
  }
}

TEST(RangeCsvTest, ImportAddsToWhatIsStoredUnderTheSameRules) {
  TempDatabase db;
  auto store = db.Open();
  std::istringstream first(std::string(kHeader) + "0000000001;10;20;0;N\n");
  ImportRangesCsv(*store, first);
  std::istringstream clash(std::string(kHeader) + "0000000002;30;40;0;N\n0000000003;5;15;0;N\n");
  EXPECT_THROW(ImportRangesCsv(*store, clash), CsvError);
  std::istringstream fine(std::string(kHeader) + "0000000002;30;40;0;N\n");
  ImportRangesCsv(*store, fine);
  EXPECT_EQ(store->All().size(), 2u);
}

}  // namespace
}  // namespace ped06900
