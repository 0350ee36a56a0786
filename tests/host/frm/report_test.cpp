#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "frm/dadosgerrel.h"
#include "frm/report_preview.h"
#include "frm/report_registry.h"
#include "frm/report_table.h"
#include "rtl/exceptions.h"
#include "test_app.h"
#include "ui/application.h"
#include "ui/label.h"
#include "ui/scripted_dialogs.h"
#include "ui/speed_button.h"

namespace {

frm::ReportTable Faixas(int rows) {
  frm::ReportTable table{"Rentabilidade", "", {{"Inicial", 100}, {"Final", 100}}, {}};
  for (int i = 0; i < rows; ++i) table.rows.push_back({std::to_string(i), std::to_string(i + 1)});
  return table;
}

// The report screen as a module derives it: its two codes set in the constructor.
class TfrmRelTeste : public frm::TfrmDadosGerRel {
 public:
  explicit TfrmRelTeste(ui::TComponent* owner) : frm::TfrmDadosGerRel(owner) {
    lblCodTela->SetCaption("TST00101");
    lblCodRel->SetCaption("TST001");
  }
};

class Reports : public testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    frm::UnregisterReports("TST001");
  }
  void TearDown() override {
    frm::UnregisterReports("TST001");
    ui::Application().Shutdown();
  }
  std::string TempPath(const char* name) { return dir.filePath(name).toStdString(); }

  QTemporaryDir dir;
  ui::ScopedDialogs dialogs;
};

bool IsPdf(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-" && file.size() > 500;
}

TEST_F(Reports, PagesSplitTheRowsAndAnEmptyTableStillHasAPage) {
  const int perPage = frm::ReportRowsPerPage();
  EXPECT_EQ(frm::ReportPageCount(Faixas(0)), 1);
  EXPECT_EQ(frm::ReportPageCount(Faixas(perPage)), 1);
  EXPECT_EQ(frm::ReportPageCount(Faixas(perPage + 1)), 2);
  const auto pages = frm::RenderReportPreview(Faixas(perPage + 1));
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_GT(pages[0].Width(), 0);
}

TEST_F(Reports, PdfIsWrittenAndAnUnwritablePathRaises) {
  const std::string path = TempPath("faixas.pdf");
  frm::ExportReportPdf(Faixas(80), path);
  EXPECT_TRUE(IsPdf(path));
  EXPECT_THROW(frm::ExportReportPdf(Faixas(1), TempPath("nao/existe/x.pdf")), rtl::Exception);
}

TEST_F(Reports, RegistryKeepsOrderReplacesByNameAndRefusesIncompleteEntries) {
  frm::RegisterReport("TST001", "Geral", [] { return Faixas(1); });
  frm::RegisterReport("TST001", "Resumo", [] { return Faixas(2); });
  frm::RegisterReport("TST001", "Geral", [] { return Faixas(3); });
  const auto reports = frm::ReportsFor("TST001");
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].name, "Geral");
  EXPECT_EQ(reports[0].build().rows.size(), 3u);
  EXPECT_THROW(frm::RegisterReport("", "x", [] { return Faixas(0); }), rtl::Exception);
  EXPECT_THROW(frm::RegisterReport("TST001", "x", nullptr), rtl::Exception);
  EXPECT_TRUE(frm::ReportsFor("OUTRO").empty());
}

TEST_F(Reports, ReportScreenWithoutReportsSaysSoAndOffersNothing) {
  auto* screen = ui::Application().CreateForm<TfrmRelTeste>();
  EXPECT_TRUE(screen->Reports().empty());
  EXPECT_EQ(screen->lblRelatorios->Caption(), "Nenhum relatório cadastrado para o código TST001.");
  EXPECT_FALSE(screen->sbtVisualizar->Enabled());
  EXPECT_FALSE(screen->sbtExportar->Enabled());
  EXPECT_EQ(screen->Exportar(), "");
  EXPECT_TRUE(dialogs->Shown().empty());
}

TEST_F(Reports, ReportScreenExportsTheChosenReport) {
  frm::RegisterReport("TST001", "Geral", [] { return Faixas(3); });
  frm::RegisterReport("TST001", "Falha",
                      []() -> frm::ReportTable { throw rtl::Exception("Servidor indisponível."); });
  auto* screen = ui::Application().CreateForm<TfrmRelTeste>();
  ASSERT_EQ(screen->Reports().size(), 2u);
  EXPECT_TRUE(screen->sbtExportar->Enabled());
  EXPECT_EQ(screen->Chosen(), 0);

  const std::string path = TempPath("geral.pdf");
  dialogs->AnswerInput(path);
  EXPECT_EQ(screen->Exportar(), path);
  EXPECT_TRUE(IsPdf(path));
  EXPECT_NE(dialogs->Shown().front().text.find("Nome do arquivo"), std::string::npos);

  dialogs->AnswerInput(std::nullopt);
  EXPECT_EQ(screen->Exportar(), "") << "cancelled";

  screen->Choose(1);
  EXPECT_THROW(screen->Exportar(), rtl::Exception);
}

TEST_F(Reports, PreviewPagesThroughAndSavesPdf) {
  frm::TfrmVisualizar preview(nullptr, Faixas(frm::ReportRowsPerPage() * 2 + 1));
  EXPECT_EQ(preview.PageCount(), 3);
  EXPECT_FALSE(preview.sbtAnterior->Enabled());
  preview.sbtProxima->Click();
  preview.sbtProxima->Click();
  EXPECT_EQ(preview.PageIndex(), 2);
  EXPECT_FALSE(preview.sbtProxima->Enabled());
  EXPECT_EQ(preview.lblPagina->Caption(), "Página 3 de 3");

  const std::string path = TempPath("previa.pdf");
  dialogs->AnswerInput(path);
  EXPECT_EQ(preview.SalvarPdf("sugerido.pdf"), path);
  EXPECT_TRUE(IsPdf(path));
}

}  // namespace
