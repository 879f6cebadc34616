// The About box: its controls, and how Help > About fills it in and shows
// it without making it modal.
#include "ui/qt/about_box.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/qt/qt_widgets.h"
#include "tests/ui/qt/ui_test_support.h"
#include "ui/qt/main_form.h"

namespace tarnel {
namespace {

using testing_support::Child;
using testing_support::ShowAndActivate;
using testing_support::UserClick;
using testing_support::Utf8;

class AboutBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetApplicationState();
    form = std::make_unique<TTarnelMainForm>(App(), std::vector<std::string>{},
                                             [](auto...) { return 0; });
    about = std::make_unique<TAboutBox>();
    form->SetAboutBox(about.get());
  }
  void TearDown() override {
    about->hide();
    form->hide();
  }

  std::unique_ptr<TTarnelMainForm> form;
  std::unique_ptr<TAboutBox> about;
};

struct LabelRow {
  const char* name;
  const char* text;
  QPoint position;
};

TEST_F(AboutBoxTest, IsBuiltHiddenWithItsTitleSizeAndControls) {
  EXPECT_FALSE(about->isVisible());
  EXPECT_EQ(about->objectName(), QString("AboutBox"));
  EXPECT_EQ(about->windowTitle(), QString("TARNEL"));
  EXPECT_EQ(about->size(), QSize(298, 154));
  EXPECT_EQ(about->minimumSize(), about->maximumSize());
  EXPECT_FALSE(about->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(about->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

  auto* panel = about->findChild<QWidget*>("Panel1");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->geometry(), QRect(8, 0, 281, 113));

  auto* icon = about->findChild<QLabel*>("ProgramIcon");
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->parentWidget(), panel);
  EXPECT_EQ(icon->geometry(), QRect(16, 16, 33, 33));
  EXPECT_TRUE(icon->hasScaledContents());
  EXPECT_FALSE(icon->pixmap().isNull());

  const LabelRow labels[] = {
      {"ProductName", "TARNEL.EXE", {88, 16}},
      {"Version", "Version", {88, 40}},
      {"Copyright", nullptr, {8, 64}},
      {"Comments", "テキストソートユーティリティ", {8, 88}},
  };
  for (const LabelRow& row : labels) {
    SCOPED_TRACE(row.name);
    auto* label = about->findChild<QLabel*>(row.name);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->parentWidget(), panel);
    EXPECT_EQ(label->pos(), row.position);
    if (row.text) {
      EXPECT_EQ(label->text(), Utf8(row.text));
    }
  }
  EXPECT_FALSE(about->Copyright->text().isEmpty());

  auto* ok = about->findChild<QPushButton*>("OKButton");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->parentWidget(), about.get());
  EXPECT_EQ(ok->geometry(), QRect(111, 124, 75, 25));
  EXPECT_EQ(ok->text(), QString("OK"));
  EXPECT_TRUE(ok->isDefault());
}

TEST_F(AboutBoxTest, CopyrightAndCommentsKeepTheirWidthAndCentreTheirText) {
  EXPECT_EQ(about->Copyright->size(), QSize(265, 12));
  EXPECT_EQ(about->Comments->size(), QSize(265, 12));
  EXPECT_TRUE(about->Copyright->alignment().testFlag(Qt::AlignHCenter));
  EXPECT_EQ(about->Comments->alignment(), Qt::AlignCenter);
  EXPECT_TRUE(about->Comments->wordWrap());
}

TEST_F(AboutBoxTest, HelpAboutShowsVersionTextWithoutBlank) {
  form->HelpAbout();
  EXPECT_TRUE(about->isVisible());
  EXPECT_EQ(about->Version->text(), QString("Version1.34"));
}

TEST_F(AboutBoxTest, VersionLabelWidensToItsFullText) {
  form->HelpAbout();
  const QFontMetrics metrics(about->Version->font());
  EXPECT_GE(about->Version->width(),
            metrics.horizontalAdvance(about->Version->text()));
  EXPECT_GT(about->Version->width(), 39);
  EXPECT_EQ(about->Version->pos(), QPoint(88, 40));
}

TEST_F(AboutBoxTest, BoxIsNotModalAndTheMainWindowStaysUsable) {
  ASSERT_TRUE(ShowAndActivate(*form));
  form->HelpAbout();
  EXPECT_FALSE(about->isModal());
  EXPECT_EQ(about->windowModality(), Qt::NonModal);
  UserClick(Child<QCheckBox>(*form, "UniqCheckBox"));
  EXPECT_TRUE(Child<QCheckBox>(*form, "UniqCheckBox")->isChecked());
}

TEST_F(AboutBoxTest, SecondHelpAboutWhileOpenChangesNothing) {
  form->HelpAbout();
  const QRect place = about->geometry();
  form->HelpAbout();
  EXPECT_TRUE(about->isVisible());
  EXPECT_EQ(about->geometry(), place);
  EXPECT_EQ(about->Version->text(), QString("Version1.34"));
}

TEST_F(AboutBoxTest, OkHidesTheBoxAndHelpAboutShowsItAgain) {
  form->HelpAbout();
  QTest::mouseClick(about->OKButton, Qt::LeftButton);
  EXPECT_FALSE(about->isVisible());
  form->HelpAbout();
  EXPECT_TRUE(about->isVisible());
  EXPECT_EQ(about->Version->text(), QString("Version1.34"));
}

TEST_F(AboutBoxTest, EnterPressesOkAndEscapeDoesNothing) {
  form->HelpAbout();
  ASSERT_TRUE(ShowAndActivate(*about));
  QTest::keyClick(about.get(), Qt::Key_Escape);
  EXPECT_TRUE(about->isVisible());
  QTest::keyClick(about.get(), Qt::Key_Return);
  EXPECT_FALSE(about->isVisible());
}

TEST_F(AboutBoxTest, ClosingOnlyHidesTheBox) {
  form->HelpAbout();
  EXPECT_TRUE(about->close());
  EXPECT_FALSE(about->isVisible());
  EXPECT_FALSE(about->testAttribute(Qt::WA_DeleteOnClose));
  EXPECT_FALSE(about->testAttribute(Qt::WA_QuitOnClose));
}

TEST_F(AboutBoxTest, UsesTheProgramFont) {
  EXPECT_EQ(about->font().pixelSize(), 12);
  EXPECT_EQ(about->Version->font().families().value(0),
            Utf8("ＭＳ Ｐゴシック"));
}

}  // namespace
}  // namespace tarnel
