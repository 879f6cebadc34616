// The real dialogs on real files in a fresh folder, answered from inside
// their own event loop the way a user would: filters, listing, and what
// each dialog accepts or refuses.
#include "platform/qt/qt_file_dialogs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/qt/qt_wait.h"
#include "tests/support/qt/qt_widgets.h"
#include "tests/support/temp_dir.h"

namespace tarnel {
namespace {

using testing_support::TempDir;
using testing_support::Utf8;
using testing_support::WaitUntilSignalled;
using testing_support::WhenModalBoxOpens;

constexpr char kOpenFilter[] =
    "テキストファイル(*.TXT,*.CSV)|*.TXT;*.CSV|すべてのファイル(*.*)|*.*";
constexpr unsigned kOpenOptions = kDialogPathMustExist | kDialogFileMustExist;
constexpr unsigned kSaveOptions = kDialogOverwritePrompt | kDialogHideReadOnly |
                                  kDialogPathMustExist |
                                  kDialogNoReadOnlyReturn;

FileDialogRequest OpenRequest(const std::string& file_name = {}) {
  return {FileDialogKind::kOpen, kOpenOptions, kOpenFilter, file_name};
}

FileDialogRequest SaveRequest(const std::string& file_name = {}) {
  return {FileDialogKind::kSave, kSaveOptions, kOpenFilter, file_name};
}

// The folders that a file dialog's model has finished reading. Watching
// starts when the dialog shows, before its event loop can deliver the news
// of a folder read.
class FolderReads : public QObject {
 public:
  FolderReads() { QCoreApplication::instance()->installEventFilter(this); }
  ~FolderReads() override {
    QCoreApplication::instance()->removeEventFilter(this);
  }

  bool Finished(const std::string& folder) const {
    return finished_.contains(
        QDir(QString::fromStdString(folder)).canonicalPath());
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show) return false;
    auto* dialog = qobject_cast<CheckedFileDialog*>(watched);
    auto* model = dialog ? dialog->findChild<QFileSystemModel*>() : nullptr;
    if (model) {
      connect(model, &QFileSystemModel::directoryLoaded, this,
              [this](const QString& path) {
                finished_.insert(QDir(path).canonicalPath());
              });
    }
    return false;
  }

 private:
  QSet<QString> finished_;
};

class QtFileDialogsTest : public testing::Test {
 protected:
  // What an earlier test left queued is delivered before this one starts.
  void SetUp() override { QCoreApplication::processEvents(); }

  // Runs the dialog for |request|; |user| acts on it while it is open and
  // must close it.
  std::optional<std::string> Run(const FileDialogRequest& request,
                                 std::function<void(CheckedFileDialog&)> user) {
    WhenModalBoxOpens([user](QWidget* box) {
      auto* dialog = qobject_cast<CheckedFileDialog*>(box);
      if (!dialog) {
        ADD_FAILURE() << "not the file dialog";
        box->close();
        return;
      }
      user(*dialog);
      if (dialog->isVisible()) {
        ADD_FAILURE() << "the dialog is still open";
        dialog->reject();
      }
    });
    return dialogs.Run(&owner, request);
  }

  static void Type(CheckedFileDialog& dialog, const QString& name) {
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
  }

  // Accepts what was typed; a box the dialog opens over itself meanwhile is
  // answered with |answer| and its text is returned.
  static std::optional<QString> AcceptAnswering(
      CheckedFileDialog& dialog,
      QMessageBox::StandardButton answer = QMessageBox::Ok) {
    std::optional<QString> box_text;
    // Watches only while accept() runs: a box can open only inside it.
    QTimer watcher;
    watcher.setInterval(10);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      auto* message =
          qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!message) return;
      box_text = message->text();
      QAbstractButton* button = message->button(answer);
      if (!button) button = message->buttons().value(0);
      button->click();
    });
    watcher.start();
    dialog.accept();
    return box_text;
  }

  std::string Path(const std::string& name) const { return folder / name; }

  TempDir folder;
  QWidget owner;
  QtFileDialogs dialogs;
};

TEST(QtNameFiltersTest, PairsBecomeDescriptionsWithTheirPatterns) {
  EXPECT_EQ(QtNameFilters(kOpenFilter),
            (QStringList{Utf8("テキストファイル(*.TXT,*.CSV) (*.TXT *.CSV)"),
                         Utf8("すべてのファイル(*.*) (*.*)")}));
  EXPECT_EQ(QtNameFilters("Text|*.txt|Dangling"),
            (QStringList{"Text (*.txt)"}));
  EXPECT_EQ(QtNameFilters(""), QStringList());
}

TEST_F(QtFileDialogsTest, ListShowsTheDescriptionsWithTheFirstSelected) {
  Run(OpenRequest(), [](CheckedFileDialog& dialog) {
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 2);
    EXPECT_EQ(types->itemText(0), Utf8("テキストファイル(*.TXT,*.CSV)"));
    EXPECT_EQ(types->itemText(1), Utf8("すべてのファイル(*.*)"));
    EXPECT_EQ(types->currentIndex(), 0);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    dialog.reject();
  });
}

TEST_F(QtFileDialogsTest, DialogBelongsToItsOwner) {
  Run(OpenRequest(), [this](CheckedFileDialog& dialog) {
    EXPECT_EQ(dialog.parentWidget(), &owner);
    dialog.reject();
  });
}

TEST_F(QtFileDialogsTest, TextFilterIgnoresTheCaseOfThePatterns) {
  for (const char* name : {"a.txt", "B.CSV", "c.TXT", "d.dat", "e.Csv"}) {
    folder.Write(name, "x\n");
  }
  FolderReads reads;
  std::vector<std::string> listed;
  Run(OpenRequest(Path("a.txt")), [&](CheckedFileDialog& dialog) {
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    ASSERT_NE(view, nullptr);
    // The folder is read in the background; once the model says it has
    // read it, every name it will list is there.
    auto* model = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(WaitUntilSignalled(
        model, &QFileSystemModel::directoryLoaded,
        [&] { return reads.Finished(folder.path()); },
        std::chrono::seconds(5)));
    const auto rows = [view] {
      return view->model()->rowCount(view->rootIndex());
    };
    for (int row = 0; row < rows(); ++row) {
      listed.push_back(view->model()
                           ->index(row, 0, view->rootIndex())
                           .data()
                           .toString()
                           .toStdString());
    }
    dialog.reject();
  });
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed,
            (std::vector<std::string>{"B.CSV", "a.txt", "c.TXT", "e.Csv"}));
}

TEST_F(QtFileDialogsTest, StartsFromTheGivenNameInItsFolder) {
  folder.Write("last.txt", "x\n");
  Run(OpenRequest(Path("last.txt")), [this](CheckedFileDialog& dialog) {
    EXPECT_EQ(QDir(dialog.directory()).canonicalPath(),
              QDir(QString::fromStdString(folder.path())).canonicalPath());
    EXPECT_EQ(
        dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
        QString("last.txt"));
    dialog.reject();
  });
}

TEST_F(QtFileDialogsTest, CancelAnswersNothing) {
  EXPECT_EQ(Run(OpenRequest(), [](CheckedFileDialog& d) { d.reject(); }),
            std::nullopt);
}

TEST_F(QtFileDialogsTest, OpenRefusesAMissingFileAndTakesAnExistingOne) {
  folder.Write("there.txt", "x\n");
  const auto chosen = Run(OpenRequest(), [this](CheckedFileDialog& dialog) {
    Type(dialog, QString::fromStdString(Path("missing.txt")));
    EXPECT_TRUE(AcceptAnswering(dialog).has_value());
    EXPECT_TRUE(dialog.isVisible());
    Type(dialog, QString::fromStdString(Path("there.txt")));
    EXPECT_FALSE(AcceptAnswering(dialog).has_value());
  });
  EXPECT_EQ(chosen, Path("there.txt"));
}

TEST_F(QtFileDialogsTest, SaveTakesANewNameInAnExistingFolder) {
  const auto chosen = Run(SaveRequest(), [this](CheckedFileDialog& dialog) {
    Type(dialog, QString::fromStdString(Path("new.txt")));
    EXPECT_FALSE(AcceptAnswering(dialog).has_value());
  });
  EXPECT_EQ(chosen, Path("new.txt"));
}

TEST_F(QtFileDialogsTest, SaveAsksBeforeReplacingAFile) {
  folder.Write("old.txt", "x\n");
  const auto chosen = Run(SaveRequest(), [this](CheckedFileDialog& dialog) {
    Type(dialog, QString::fromStdString(Path("old.txt")));
    EXPECT_TRUE(AcceptAnswering(dialog, QMessageBox::No).has_value());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(AcceptAnswering(dialog, QMessageBox::Yes).has_value());
  });
  EXPECT_EQ(chosen, Path("old.txt"));
}

TEST_F(QtFileDialogsTest, SaveRefusesANameInAMissingFolder) {
  Run(SaveRequest(), [this](CheckedFileDialog& dialog) {
    Type(dialog, QString::fromStdString(Path("nowhere/new.txt")));
    const std::optional<QString> refusal = AcceptAnswering(dialog);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_TRUE(refusal->contains(QStringLiteral("does not exist")));
    EXPECT_TRUE(dialog.isVisible());
    dialog.reject();
  });
}

TEST_F(QtFileDialogsTest, SaveRefusesAReadOnlyFile) {
  folder.Write("locked.txt", "x\n");
  ASSERT_EQ(chmod(Path("locked.txt").c_str(), 0444), 0);
  Run(SaveRequest(), [this](CheckedFileDialog& dialog) {
    Type(dialog, QString::fromStdString(Path("locked.txt")));
    const std::optional<QString> refusal = AcceptAnswering(dialog);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_TRUE(refusal->contains(QStringLiteral("read-only")));
    EXPECT_TRUE(dialog.isVisible());
    dialog.reject();
  });
}

TEST_F(QtFileDialogsTest, WithoutItsOptionsTheSaveDialogTakesThoseNames) {
  folder.Write("locked.txt", "x\n");
  ASSERT_EQ(chmod(Path("locked.txt").c_str(), 0444), 0);
  const FileDialogRequest plain{FileDialogKind::kSave, 0, kOpenFilter, ""};
  const auto chosen = Run(plain, [this](CheckedFileDialog& dialog) {
    Type(dialog, QString::fromStdString(Path("locked.txt")));
    EXPECT_FALSE(AcceptAnswering(dialog).has_value());
  });
  EXPECT_EQ(chosen, Path("locked.txt"));
}

}  // namespace
}  // namespace tarnel
