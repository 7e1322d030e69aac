// The global parameters dialog on the offscreen platform.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "engine/App.h"
#include "qt/QtHost.h"
#include "storage/SettingsFile.h"
#include "ui/GlobalParms.h"

using namespace rigvane;

namespace {

class TestHost : public QtHost {
  public:
    int Beeps = 0;
    int Boxes = 0;
    void Beep() override { ++Beeps; }
    Answer MessageBox(const std::string&, const std::string&, MsgIcon, Buttons, Answer) override {
        ++Boxes;
        return Answer::Ok;
    }
};

struct Fixture {
    QTemporaryDir dir;
    TestHost host;
    App app{host};
    Fixture() {
        app.settings.IniPath = (dir.path() + "/RIGVANE.INI").toStdString();
        Globals& g = app.settings.Global;
        g.DlyTime = 2;
        g.RsmTime = 15;
        g.PriorTime = 120;
        g.SaveShort = true;
        g.ShowAux = false;
        g.LoadFreq = true;
        g.FreqFont = "Transistor";
        g.FreqSize = 26;
    }
    QString Ini() const { return QString::fromStdString(app.settings.IniPath); }
};

template <typename T> T* Child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(name);
    if (!c) qFatal("no control %s", name);
    return c;
}

} // namespace

class GlobalParmsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void showsTheCurrentSettings();
    void timeFieldKeys();
    void formatTwiceThenOkLeavesSaveShort();
    void okStoresAndSaves();
    void cancelAfterChangingTheFontChangesNothing();
};

void GlobalParmsTest::showsTheCurrentSettings() {
    Fixture f;
    f.app.settings.Global.FreqFont = "No Such Face"; // kept even though no screen font has it
    GlobalParms dlg(f.app);
    QCOMPARE(Child<QLineEdit>(dlg, "EntryTxt_0")->text(), QString("002"));
    QCOMPARE(Child<QLineEdit>(dlg, "EntryTxt_1")->text(), QString("015"));
    QCOMPARE(Child<QLineEdit>(dlg, "EntryTxt_2")->text(), QString("120"));
    QCOMPARE(Child<QPushButton>(dlg, "FrmtCmd")->text(), QString("Short"));
    QVERIFY(!Child<QCheckBox>(dlg, "ShowAuxChk")->isChecked());
    QVERIFY(Child<QCheckBox>(dlg, "LoadFdbChk")->isChecked());
    auto* font = Child<QComboBox>(dlg, "FontCombo");
    QCOMPARE(font->currentText(), QString("No Such Face"));
    QVERIFY(font->count() > 1); // and the screen's fonts
    auto* size = Child<QComboBox>(dlg, "SizeCombo");
    QCOMPARE(size->count(), 21);
    QCOMPARE(size->currentText(), QString("26"));
    auto* sample = Child<QLabel>(dlg, "FontSample");
    QCOMPARE(sample->font().pointSize(), 26);
    size->setCurrentIndex(size->findText("12"));
    QCOMPARE(sample->font().pointSize(), 12);
    font->setCurrentIndex(font->count() - 1);
    QCOMPARE(sample->font().family(), font->currentText());
}

void GlobalParmsTest::timeFieldKeys() {
    Fixture f;
    GlobalParms dlg(f.app);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    auto* delay = Child<QLineEdit>(dlg, "EntryTxt_0");
    auto* resume = Child<QLineEdit>(dlg, "EntryTxt_1");
    auto* priority = Child<QLineEdit>(dlg, "EntryTxt_2");

    // Only digits go in; Backspace edits; Enter moves on to the next time field.
    delay->setFocus();
    delay->selectAll();
    QTest::keyClicks(delay, "4a-.x 5");
    QCOMPARE(delay->text(), QString("45"));
    QTest::keyClick(delay, Qt::Key_Backspace);
    QCOMPARE(delay->text(), QString("4"));
    QTest::keyClick(delay, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), resume);
    QVERIFY(dlg.isVisible()); // Enter did not press OK
    QTest::keyClick(resume, Qt::Key_Enter);
    QCOMPARE(QApplication::focusWidget(), priority);
    QTest::keyClick(priority, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), delay);
    QCOMPARE(f.host.Beeps, 0);

    // Escape puts the stored value back and does not close the dialog.
    QTest::keyClicks(delay, "99");
    QTest::keyClick(delay, Qt::Key_Escape);
    QCOMPARE(delay->text(), QString("002"));
    QVERIFY(dlg.isVisible());

    // 1000 beeps when the field is left, and the focus comes back.
    delay->selectAll();
    QTest::keyClicks(delay, "1000");
    QTest::keyClick(delay, Qt::Key_Tab);
    QCoreApplication::processEvents();
    QCOMPARE(f.host.Beeps, 1);
    QCOMPARE(QApplication::focusWidget(), delay);
    // So does an empty field.
    resume->setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(f.host.Beeps, 2);
    QCOMPARE(QApplication::focusWidget(), delay);
    delay->clear();
    resume->setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(f.host.Beeps, 3);
    QCOMPARE(QApplication::focusWidget(), delay);

    // OK with the bad field beeps and stays open; the settings are untouched.
    Child<QPushButton>(dlg, "OKCmd")->click();
    QCoreApplication::processEvents();
    QVERIFY(dlg.isVisible());
    QCOMPARE(QApplication::focusWidget(), delay);
    QVERIFY(f.host.Beeps >= 4);
    QCOMPARE(f.app.settings.Global.DlyTime, 2);
    QVERIFY(!QFile::exists(f.Ini()));
    QCOMPARE(f.host.Boxes, 0);
}

void GlobalParmsTest::formatTwiceThenOkLeavesSaveShort() {
    for (bool initial : {false, true}) {
        Fixture f;
        f.app.settings.Global.SaveShort = initial;
        GlobalParms dlg(f.app);
        auto* format = Child<QPushButton>(dlg, "FrmtCmd");
        QCOMPARE(format->text(), QString(initial ? "Short" : "Long"));
        format->click();
        QCOMPARE(format->text(), QString(initial ? "Long" : "Short"));
        QCOMPARE(dlg.ShortFormat(), !initial);
        QCOMPARE(f.app.settings.Global.SaveShort, initial); // only OK stores it
        format->click();
        QCOMPARE(format->text(), QString(initial ? "Short" : "Long"));
        Child<QPushButton>(dlg, "OKCmd")->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(f.app.settings.Global.SaveShort, initial);
    }
}

void GlobalParmsTest::okStoresAndSaves() {
    Fixture f;
    GlobalParms dlg(f.app);
    Child<QLineEdit>(dlg, "EntryTxt_0")->setText("7");
    Child<QLineEdit>(dlg, "EntryTxt_1")->setText("999");
    Child<QLineEdit>(dlg, "EntryTxt_2")->setText("0");
    Child<QPushButton>(dlg, "FrmtCmd")->click();
    Child<QCheckBox>(dlg, "ShowAuxChk")->setChecked(true);
    Child<QCheckBox>(dlg, "LoadFdbChk")->setChecked(false);
    QVERIFY(Child<QCheckBox>(dlg, "ReconnectChk")->isChecked()); // on unless turned off
    Child<QCheckBox>(dlg, "ReconnectChk")->setChecked(false);
    auto* font = Child<QComboBox>(dlg, "FontCombo");
    font->setCurrentIndex(font->count() - 1);
    const QString chosen = font->currentText();
    Child<QComboBox>(dlg, "SizeCombo")->setCurrentIndex(0);
    // The rigctld server: a bad address keeps the dialog open, stores nothing.
    QVERIFY(!Child<QCheckBox>(dlg, "RigctldChk")->isChecked());
    QCOMPARE(Child<QLineEdit>(dlg, "RigctldTxt")->text(), QString("4532"));
    Child<QCheckBox>(dlg, "RigctldChk")->setChecked(true);
    Child<QLineEdit>(dlg, "RigctldTxt")->setText("localhost:99999");
    Child<QPushButton>(dlg, "OKCmd")->click();
    QCOMPARE(f.host.Boxes, 1);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(!f.app.settings.Global.Rigctld);
    Child<QLineEdit>(dlg, "RigctldTxt")->setText(" 0.0.0.0:4533 ");
    Child<QPushButton>(dlg, "OKCmd")->click();

    const Globals& g = f.app.settings.Global;
    QVERIFY(g.Rigctld);
    QCOMPARE(g.RigctldAddress, std::string("0.0.0.0:4533"));
    QCOMPARE(g.DlyTime, 7);
    QCOMPARE(g.RsmTime, 999);
    QCOMPARE(int(g.PriorTime), 0);
    QVERIFY(!g.SaveShort);
    QVERIFY(g.ShowAux);
    QVERIFY(!g.LoadFreq);
    QCOMPARE(QString::fromStdString(g.FreqFont), chosen);
    QCOMPARE(int(g.FreqSize), 10);

    // The settings file has them.
    Settings reread;
    reread.IniPath = f.app.settings.IniPath;
    QVERIFY(LoadSettings(reread, f.host));
    QCOMPARE(reread.Global.DlyTime, 7);
    QVERIFY(!reread.Global.SaveShort);
    QVERIFY(!reread.Global.Reconnect);
    QCOMPARE(QString::fromStdString(reread.Global.FreqFont), chosen);
    QCOMPARE(int(reread.Global.FreqSize), 10);
}

void GlobalParmsTest::cancelAfterChangingTheFontChangesNothing() {
    Fixture f;
    GlobalParms dlg(f.app);
    dlg.show();
    auto* font = Child<QComboBox>(dlg, "FontCombo");
    font->setCurrentIndex(font->count() - 1);
    QVERIFY(font->currentText() != "Transistor");
    Child<QComboBox>(dlg, "SizeCombo")->setCurrentIndex(2);
    Child<QLineEdit>(dlg, "EntryTxt_1")->setText("33");
    Child<QPushButton>(dlg, "CanCmd")->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(f.app.settings.Global.FreqFont, std::string("Transistor"));
    QCOMPARE(int(f.app.settings.Global.FreqSize), 26);
    QCOMPARE(f.app.settings.Global.RsmTime, 15);
    QVERIFY(!QFile::exists(f.Ini()));

    // Undo shows the stored font again.
    GlobalParms again(f.app);
    auto* font2 = Child<QComboBox>(again, "FontCombo");
    font2->setCurrentIndex(font2->count() - 1);
    Child<QPushButton>(again, "UndoCmd")->click();
    QCOMPARE(font2->currentText(), QString("Transistor"));
}

QTEST_MAIN(GlobalParmsTest)
#include "GlobalParmsTest.moc"
