// The help engine's window: the contents (the list of topics) and the
// keyword index on one side, the topic on the other. One window serves
// every command; it is independent of the program's windows and does not
// keep the program running once the main window closes.
#ifndef TARNEL_PLATFORM_QT_HELP_WINDOW_H_
#define TARNEL_PLATFORM_QT_HELP_WINDOW_H_

#include <QWidget>
#include <string>
#include <vector>

#include "platform/help_file.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTextBrowser;

namespace tarnel {

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  HelpWindow();
  ~HelpWindow() override;

  /// Replaces what the window shows by |document|.
  void SetDocument(HelpDocument document);
  /// Shows the contents page with the first topic.
  void ShowContents();
  /// Shows the index page with |keyword| in its search field, which gets
  /// the focus; the list starts at the first keyword that begins with it.
  void ShowIndex(const QString& keyword);
  /// Shows topic |index| (in file order).
  void ShowTopic(int index);
  /// The topic shown, -1 before any.
  int CurrentTopic() const { return current_topic_; }
  /// Until the window is first shown: centres it on |owner| when that is on
  /// the screen, else on the screen itself.
  void CentreOn(const QWidget* owner);

  QTabWidget* Pages = nullptr;
  QListWidget* ContentsList = nullptr;
  QLineEdit* SearchEdit = nullptr;
  QListWidget* IndexList = nullptr;
  QPushButton* DisplayButton = nullptr;
  QTextBrowser* TopicView = nullptr;

 private:
  struct IndexEntry {
    QString keyword;
    int topic;
  };

  void FillIndex();
  void FilterIndex(const QString& prefix);
  void ShowSelectedKeyword();
  void BringToFront();

  HelpDocument document_;
  std::vector<IndexEntry> index_;
  int current_topic_ = -1;
  bool placed_ = false;
};

/// A topic as the HTML the window shows.
QString TopicHtml(const HelpTopic& topic);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_QT_HELP_WINDOW_H_
