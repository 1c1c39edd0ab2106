#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace curvana {

class Dialogs;

// The help window: shows the help file (HTML with an anchor named after each help context number,
// one named "contents" and one named "index") at its contents, its index or a topic.
class THelpForm : public QWidget {
    Q_OBJECT
  public:
    explicit THelpForm(Dialogs& dialogs, QWidget* parent = nullptr);

    void SetHelpFile(const QString& path);
    QString HelpFile() const { return file_; }

    void ShowContents();
    void ShowIndex();
    void ShowTopic(int context);
    // The anchor last shown.
    QString CurrentTopic() const { return topic_; }
    QTextBrowser* Browser() const { return browser_; }

  private:
    void Show(const QString& anchor);

    Dialogs& dialogs_;
    QTextBrowser* browser_;
    QString file_;
    QString loaded_;
    QString topic_;
};

}  // namespace curvana
