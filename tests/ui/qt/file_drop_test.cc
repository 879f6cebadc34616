// Files dropped on the window, delivered the way Qt delivers a drop from a
// file manager: to the window, which picks the widget under the point.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>
#include <QWindow>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/testing/recording_message_boxes.h"
#include "tests/support/qt/qt_widgets.h"
#include "tests/ui/qt/ui_test_support.h"
#include "ui/qt/browse_panel.h"
#include "ui/qt/main_form.h"

namespace tarnel {
namespace {

using testing_support::Child;
using testing_support::ShowAndActivate;

// What a file manager offers: the files' URLs, and their paths as text.
std::unique_ptr<QMimeData> FilesData(const std::vector<QString>& paths) {
  auto data = std::make_unique<QMimeData>();
  QList<QUrl> urls;
  QStringList lines;
  for (const QString& path : paths) {
    urls.push_back(QUrl::fromLocalFile(path));
    lines.push_back(path);
  }
  data->setUrls(urls);
  data->setText(lines.join(QLatin1Char('\n')));
  return data;
}

struct DropOutcome {
  bool entered = false;
  bool dropped = false;
  Qt::DropAction action = Qt::IgnoreAction;
};

class FileDropTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetApplicationState();
    form = std::make_unique<TTarnelMainForm>(App(), std::vector<std::string>{},
                                             recorder.Function());
    ASSERT_TRUE(ShowAndActivate(*form));
  }

  // Drags |data| over |point| of the window and drops it there.
  DropOutcome Drop(const QMimeData& data, QPoint point,
                   Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction |
                                             Qt::LinkAction) {
    DropOutcome outcome;
    QWindow* window = form->windowHandle();
    QDragEnterEvent enter(point, actions, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    outcome.entered = enter.isAccepted();
    if (!outcome.entered) {
      QDragLeaveEvent leave;
      QCoreApplication::sendEvent(window, &leave);
      return outcome;
    }
    QDropEvent drop(QPointF(point), actions, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    outcome.dropped = drop.isAccepted();
    outcome.action = drop.dropAction();
    return outcome;
  }

  // The middle of |widget| in the window's coordinates.
  QPoint Over(QWidget* widget) {
    return widget->mapTo(form.get(), widget->rect().center());
  }

  RecordingMessageBoxes boxes;
  RunRecorder recorder;
  std::unique_ptr<TTarnelMainForm> form;
};

// A place on the window, and whether a drop there names the output file.
struct Region {
  const char* name;
  // The point, given the window; called after the path edits are shown.
  QPoint (*point)(TTarnelMainForm& form);
  bool output;
};

void PrintTo(const Region& region, std::ostream* out) { *out << region.name; }

QPoint Middle(QWidget* widget, TTarnelMainForm& form) {
  return widget->mapTo(&form, widget->rect().center());
}

class DropRegionTest : public FileDropTest,
                       public testing::WithParamInterface<Region> {};

TEST_P(DropRegionTest, FirstFileBecomesTheFileOfItsSide) {
  // Both sides show their path edits, so a drop can land on them.
  Child<QCheckBox>(*form, "FileOpenCheckBox")->setChecked(true);
  Child<QCheckBox>(*form, "FileSaveCheckBox")->setChecked(true);
  Child<QLineEdit>(*form, "FileOpenEdit")->setText("old-in");
  Child<QLineEdit>(*form, "FileSaveEdit")->setText("old-out");
  Child<QRadioButton>(*form, "Sort_F_RadioButton")->setFocus();
  const QString name = QStringLiteral("/data/dropped file.csv");
  const auto data = FilesData({name});

  const DropOutcome outcome = Drop(*data, GetParam().point(*form));

  EXPECT_TRUE(outcome.dropped);
  QLineEdit* taken = GetParam().output
                         ? Child<QLineEdit>(*form, "FileSaveEdit")
                         : Child<QLineEdit>(*form, "FileOpenEdit");
  QLineEdit* other = GetParam().output
                         ? Child<QLineEdit>(*form, "FileOpenEdit")
                         : Child<QLineEdit>(*form, "FileSaveEdit");
  EXPECT_EQ(taken->text(), name);
  EXPECT_EQ(other->text(),
            GetParam().output ? QString("old-in") : QString("old-out"));
  EXPECT_EQ(QApplication::focusWidget(), taken);
  EXPECT_TRUE(form->isActiveWindow());
}

const Region kRegions[] = {
    {"OutputGroupBox",
     [](TTarnelMainForm& f) {
       return Child<QGroupBox>(f, "OutputGroupBox")->mapTo(&f, QPoint(200, 5));
     },
     true},
    {"ClipBoardCheckBox2",
     [](TTarnelMainForm& f) {
       return Middle(Child<QCheckBox>(f, "ClipBoardCheckBox2"), f);
     },
     true},
    {"FileSaveCheckBox",
     [](TTarnelMainForm& f) {
       return Middle(Child<QCheckBox>(f, "FileSaveCheckBox"), f);
     },
     true},
    {"FileSaveEdit",
     [](TTarnelMainForm& f) {
       return Middle(Child<QLineEdit>(f, "FileSaveEdit"), f);
     },
     true},
    {"FileSavePanel",
     [](TTarnelMainForm& f) {
       return Middle(Child<BrowsePanel>(f, "FileSavePanel"), f);
     },
     true},
    {"InputGroupBox",
     [](TTarnelMainForm& f) {
       return Child<QGroupBox>(f, "InputGroupBox")->mapTo(&f, QPoint(200, 5));
     },
     false},
    {"ClipBoardCheckBox1",
     [](TTarnelMainForm& f) {
       return Middle(Child<QCheckBox>(f, "ClipBoardCheckBox1"), f);
     },
     false},
    {"FileOpenEdit",
     [](TTarnelMainForm& f) {
       return Middle(Child<QLineEdit>(f, "FileOpenEdit"), f);
     },
     false},
    {"SortMenuFrame",
     [](TTarnelMainForm& f) {
       return Child<QGroupBox>(f, "SortMenu")->mapTo(&f, QPoint(150, 80));
     },
     false},
    {"Sort_R_RadioButton",
     [](TTarnelMainForm& f) {
       return Middle(Child<QRadioButton>(f, "Sort_R_RadioButton"), f);
     },
     false},
    {"OptionPage",
     [](TTarnelMainForm& f) {
       return Middle(Child<QCheckBox>(f, "UniqCheckBox"), f);
     },
     false},
    {"PageTabs",
     [](TTarnelMainForm& f) {
       return Child<QTabWidget>(f, "PageControl1")->mapTo(&f, QPoint(30, 8));
     },
     false},
    {"OKButton",
     [](TTarnelMainForm& f) {
       return Middle(Child<QPushButton>(f, "OKButton"), f);
     },
     false},
    {"CancelButton",
     [](TTarnelMainForm& f) {
       return Middle(Child<QPushButton>(f, "CancelButton"), f);
     },
     false},
    {"StatusLine",
     [](TTarnelMainForm& f) {
       return Middle(Child<QStatusBar>(f, "StatusLine"), f);
     },
     false},
    {"BareWindow",
     [](TTarnelMainForm& f) {
       return Child<QWidget>(f, "ClientArea")->mapTo(&f, QPoint(196, 50));
     },
     false},
    {"MenuBar",
     [](TTarnelMainForm& f) {
       return Child<QMenuBar>(f, "MainMenu")->mapTo(&f, QPoint(300, 5));
     },
     false},
};

INSTANTIATE_TEST_SUITE_P(Regions, DropRegionTest, testing::ValuesIn(kRegions),
                         [](const testing::TestParamInfo<Region>& case_info) {
                           return std::string(case_info.param.name);
                         });

TEST_F(FileDropTest, DropSwitchesTheSideFromClipboardToTheFile) {
  const auto data = FilesData({"/data/out.txt"});
  Drop(*data, Over(Child<QCheckBox>(*form, "ClipBoardCheckBox2")));
  EXPECT_FALSE(Child<QCheckBox>(*form, "ClipBoardCheckBox2")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(*form, "FileSaveCheckBox")->isChecked());
  EXPECT_TRUE(Child<BrowsePanel>(*form, "FileSavePanel")->isVisible());
  EXPECT_TRUE(Child<QLineEdit>(*form, "FileSaveEdit")->isVisible());
  EXPECT_EQ(Child<QLineEdit>(*form, "FileSaveEdit")->text(),
            QString("/data/out.txt"));
  // The input side stays on the clipboard.
  EXPECT_TRUE(Child<QCheckBox>(*form, "ClipBoardCheckBox1")->isChecked());
  EXPECT_FALSE(Child<QLineEdit>(*form, "FileOpenEdit")->isVisible());
}

TEST_F(FileDropTest, DroppedFileOnTheKeyPageIsTheInputNotText) {
  Child<QTabWidget>(*form, "PageControl1")
      ->setCurrentWidget(Child<QWidget>(*form, "TabSheet2"));
  const auto data = FilesData({"/data/in.txt"});
  Drop(*data, Over(Child<QLineEdit>(*form, "SortPosEdit")));
  EXPECT_EQ(Child<QLineEdit>(*form, "SortPosEdit")->text(), QString("1"));
  EXPECT_EQ(Child<QLineEdit>(*form, "FileOpenEdit")->text(),
            QString("/data/in.txt"));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(FileDropTest, OnlyTheFirstOfSeveralFilesIsTaken) {
  const auto data =
      FilesData({"/data/first.txt", "/data/second.txt", "/data/third.txt"});
  Drop(*data, Over(Child<QPushButton>(*form, "OKButton")));
  EXPECT_EQ(Child<QLineEdit>(*form, "FileOpenEdit")->text(),
            QString("/data/first.txt"));
  EXPECT_EQ(Child<QLineEdit>(*form, "FileSaveEdit")->text(), QString());
}

TEST_F(FileDropTest, LongNameIsTakenWhole) {
  const QString name = QStringLiteral("/data/") +
                       QString(300, QLatin1Char('n')) + QStringLiteral(".txt");
  const auto data = FilesData({name});
  Drop(*data, Over(Child<QGroupBox>(*form, "InputGroupBox")));
  form->ExecuteSort();
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].input_name, name.toStdString());
}

TEST_F(FileDropTest, DropIsACopySoTheFileManagerKeepsTheFile) {
  const auto data = FilesData({"/data/in.txt"});
  const DropOutcome moved =
      Drop(*data, Over(Child<QPushButton>(*form, "OKButton")),
           Qt::MoveAction | Qt::CopyAction);
  EXPECT_EQ(moved.action, Qt::CopyAction);
  const DropOutcome linked =
      Drop(*data, Over(Child<QPushButton>(*form, "OKButton")), Qt::LinkAction);
  EXPECT_TRUE(linked.dropped);
  EXPECT_EQ(linked.action, Qt::LinkAction);
  const DropOutcome move_only =
      Drop(*data, Over(Child<QPushButton>(*form, "OKButton")), Qt::MoveAction);
  EXPECT_FALSE(move_only.entered);
}

TEST_F(FileDropTest, DragWithoutALocalFileIsRefused) {
  QMimeData text;
  text.setText("just text");
  EXPECT_FALSE(Drop(text, Over(Child<QPushButton>(*form, "OKButton"))).entered);
  QMimeData web;
  web.setUrls({QUrl("https://example.org/list.txt")});
  EXPECT_FALSE(Drop(web, Over(Child<QPushButton>(*form, "OKButton"))).entered);
  EXPECT_TRUE(Child<QCheckBox>(*form, "ClipBoardCheckBox1")->isChecked());
  EXPECT_EQ(Child<QLineEdit>(*form, "FileOpenEdit")->text(), QString());
}

TEST_F(FileDropTest, EditsLeaveDropsToTheWindow) {
  EXPECT_FALSE(Child<QLineEdit>(*form, "FileOpenEdit")->acceptDrops());
  EXPECT_FALSE(Child<QLineEdit>(*form, "FileSaveEdit")->acceptDrops());
  EXPECT_FALSE(Child<QLineEdit>(*form, "SortPosEdit")->acceptDrops());
  EXPECT_TRUE(form->acceptDrops());
}

TEST_F(FileDropTest, WindowTakesDropsOnlyAfterTheBatchRunIsOver) {
  std::optional<bool> accepting_during_run;
  recorder.during = [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == QStringLiteral("TarnelMainForm") &&
          widget != form.get()) {
        accepting_during_run = widget->acceptDrops();
      }
    }
  };
  TTarnelMainForm batch(App(), {"-a", "-f", "in.txt"}, recorder.Function());
  ASSERT_TRUE(accepting_during_run.has_value());
  EXPECT_FALSE(*accepting_during_run);
  EXPECT_TRUE(batch.acceptDrops());
}

}  // namespace
}  // namespace tarnel
