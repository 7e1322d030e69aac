#pragma once
// The About window. It doubles as the splash shown while the program starts
// and while it shuts down; then its button is hidden and the two labels carry
// the texts of the moment.
#include <QWidget>

class QLabel;
class QPushButton;

namespace rigvane {

class AboutWindow : public QWidget {
    Q_OBJECT
  public:
    explicit AboutWindow(QWidget* parent = nullptr);

    // Start-up splash: "Initializing Radio.." with the charity line below.
    void ShowStartup();
    // Shutdown notice.
    void ShowShutdown();
    // Help -> About: the program's name, version and a line about it, with OK.
    void ShowAbout();

    QLabel* UpperLabel() const { return upper_; }
    QLabel* LowerLabel() const { return lower_; }
    QPushButton* OkButton() const { return ok_; }

  private:
    void ShowSplash(const QString& upper, const QString& lower);
    void Centre();

    QLabel* title_;
    QLabel* upper_;
    QLabel* lower_;
    QPushButton* ok_;
};

} // namespace rigvane
