#include "ui/TrunkEditor.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/CodeTables.h"
#include "core/Text.h"
#include "drivers/Bearcat.h"
#include "engine/App.h"
#include "engine/Engine.h"
#include "ui/Twips.h"

namespace rigvane {

namespace {

// "mm/dd/yy hh:mm:ss".
QString StampText(Stamp stamp) {
    const LocalDateTime t = DateTimeFromStamp(stamp);
    return QString::fromStdString(ZeroPadded(t.Month, 2) + "/" + ZeroPadded(t.Day, 2) + "/" +
                                  ZeroPadded(t.Year % 100, 2) + " " + ZeroPadded(t.Hour, 2) + ":" +
                                  ZeroPadded(t.Minute, 2) + ":" + ZeroPadded(t.Second, 2));
}

QCheckBox* Check(const QString& caption, const QString& name, QWidget* parent) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    return c;
}

QLabel* Value(const char* name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}

} // namespace

TrunkWindow::TrunkWindow(App& app, Engine& engine, QWidget* parent)
    : QWidget(parent, Qt::Window), app_(app), engine_(engine) {
    setObjectName("Trunk");
    setWindowTitle("Trunk Banks");

    auto* menuBar = new QMenuBar(this);
    QMenu* radio = menuBar->addMenu("&Radio");
    radio->setObjectName("Radio_Menu");
    load_ = radio->addAction("Load IDs from Radio");
    load_->setObjectName("Radio_Load_Menu");
    save_ = radio->addAction("Save IDs to Radio");
    save_->setObjectName("Save_IDs_Menu");
    connect(load_, &QAction::triggered, this,
            [this] { engine_.RequestAction(ActionLoadTrunkIds); });
    connect(save_, &QAction::triggered, this,
            [this] { engine_.RequestAction(ActionSaveTrunkIds); });

    auto* top = new QVBoxLayout(this);
    top->setMenuBar(menuBar);

    // The three scroll bars, each in its frame.
    std::array<QGroupBox**, 3> frames{&bankFrame_, &idBankFrame_, &idChanFrame_};
    const char* frameNames[] = {"BankFrame", "IDBnkFrame", "IDChanFrame"};
    for (int i = 0; i < 3; ++i) {
        QGroupBox* frame = new QGroupBox(this);
        frame->setObjectName(frameNames[i]);
        *frames[size_t(i)] = frame;
        auto* s = new QScrollBar(Qt::Horizontal, frame);
        s->setObjectName(QString("TrunkScroll_%1").arg(i + 1));
        s->setRange(0, 9);
        s->setPageStep(1);
        s->setMinimumWidth(160);
        scroll_[size_t(i)] = s;
        auto* l = new QVBoxLayout(frame);
        l->addWidget(s);
        connect(s, &QScrollBar::valueChanged, this, [this] { Display_Trunk(); });
    }
    auto* bankRow = new QHBoxLayout;
    type_ = new QComboBox(bankFrame_);
    type_->setObjectName("TypeCombo");
    for (int i = 0; i <= 6; ++i) // the seven defined system types
        type_->addItem(TrunkTypeNames[size_t(i)]);
    bankRow->addWidget(type_);
    scanEnabled_ = Check("Bank Enabled For Trunk Scan", "IDScanEnblChk", bankFrame_);
    bankRow->addWidget(scanEnabled_);
    static_cast<QVBoxLayout*>(bankFrame_->layout())->addLayout(bankRow);
    auto* enables = new QGridLayout;
    for (int k = 0; k < 10; ++k) {
        bankEnabled_[size_t(k)] =
            Check(QString::number(k), QString("BnkEnblChk_%1").arg(k), bankFrame_);
        enables->addWidget(bankEnabled_[size_t(k)], 0, k);
        connect(bankEnabled_[size_t(k)], &QCheckBox::clicked, this, [this, k](bool on) {
            app_.memory.TrunkBanks[size_t(bank_)].IdBankEnabled[size_t(k)] = on;
            Edited();
        });
    }
    static_cast<QVBoxLayout*>(bankFrame_->layout())->addLayout(enables);
    top->addWidget(bankFrame_);
    top->addWidget(idBankFrame_);
    top->addWidget(idChanFrame_);

    connect(type_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        app_.memory.TrunkBanks[size_t(bank_)].SystemType = uint8_t(index);
        Edited();
    });
    connect(scanEnabled_, &QCheckBox::clicked, this, [this](bool on) {
        app_.memory.TrunkBanks[size_t(bank_)].ScanEnabled = on;
        Edited();
    });

    // The entry.
    auto* grid = new QGridLayout;
    id_ = new QLineEdit("00-000", this);
    id_->setObjectName("IDEntryTxt");
    // Digits and , - . / _ only: a blank or a line end would reach the radio
    // as the end of the command or as a second one.
    id_->setMaxLength(int(BearcatIdLength));
    id_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9,\\-./_]*"), id_));
    service_ = new QLineEdit(this);
    service_->setObjectName("TrunkServTxt");
    grid->addWidget(new QLabel("ID", this), 0, 0);
    grid->addWidget(id_, 0, 1);
    grid->addWidget(new QLabel("Service", this), 1, 0);
    grid->addWidget(service_, 1, 1, 1, 3);
    valid_ = Check("Valid", "TrunkValidChk", this);
    delay_ = Check("Delay", "TrunkDelayChk", this);
    atten_ = Check("Attenuator", "TrunkAttChk", this);
    resume_ = Check("Resume", "TrunkRsmChk", this);
    grid->addWidget(valid_, 2, 0);
    grid->addWidget(delay_, 2, 1);
    grid->addWidget(atten_, 2, 2);
    grid->addWidget(resume_, 2, 3);
    stamp_ = Value("TrunkTsmpLbl", this);
    count_ = Value("TrunkCntLbl", this);
    time_ = Value("TrunkTimeLbl", this);
    signal_ = Value("TrunkSigLbl", this);
    grid->addWidget(new QLabel("Last Hit", this), 3, 0);
    grid->addWidget(stamp_, 3, 1);
    grid->addWidget(new QLabel("Hits", this), 3, 2);
    grid->addWidget(count_, 3, 3);
    grid->addWidget(new QLabel("Active Time", this), 4, 0);
    grid->addWidget(time_, 4, 1);
    grid->addWidget(new QLabel("Signal", this), 4, 2);
    grid->addWidget(signal_, 4, 3);
    top->addLayout(grid);

    auto entry = [this]() -> TrunkId& { return app_.memory.TrunkIds[size_t(entry_)]; };
    connect(id_, &QLineEdit::textEdited, this, [this, entry](const QString& t) {
        entry().Id = t.toStdString();
        Edited();
    });
    connect(service_, &QLineEdit::textEdited, this, [this, entry](const QString& t) {
        entry().Service = t.toStdString();
        Edited();
    });
    const std::array<std::pair<QCheckBox*, bool TrunkId::*>, 4> flags{{
        {valid_, &TrunkId::Valid},
        {delay_, &TrunkId::Delay},
        {atten_, &TrunkId::Atten},
        {resume_, &TrunkId::Resume},
    }};
    for (const auto& [box, field] : flags) {
        connect(box, &QCheckBox::clicked, this, [this, entry, f = field](bool on) {
            entry().*f = on;
            Edited();
        });
    }

    for (QScrollBar* s : scroll_) {
        const QSignalBlocker block(s);
        s->setValue(1);
    }
    Display_Trunk();
    RestorePosition();
}

void TrunkWindow::Edited() {
    app_.memory.MemoryEdited = true;
}

void TrunkWindow::RadioChanged() {
    const bool trunks = app_.radio.Has(OpTrunkIds);
    load_->setEnabled(trunks);
    save_->setEnabled(trunks);
}

void TrunkWindow::Display_Trunk() {
    // Filling the controls is no edit: every handler above reacts to the
    // user only (clicked, activated, textEdited), never to these calls.
    const int s = scroll_[0]->value(), i = scroll_[1]->value(), c = scroll_[2]->value();
    bankFrame_->setTitle(QString::fromStdString("Scanner Bank " + ZeroPadded(s, 2)));
    idBankFrame_->setTitle(QString::fromStdString("ID Bank " + ZeroPadded(i, 2)));
    idChanFrame_->setTitle(QString::fromStdString("ID Channel " + ZeroPadded(c, 2)));
    bank_ = s;
    entry_ = s * 100 + i * 10 + c;
    const TrunkBank& tb = app_.memory.TrunkBanks[size_t(s)];
    type_->setCurrentIndex(tb.SystemType <= 6 ? tb.SystemType : 0);
    for (int k = 0; k < 10; ++k)
        bankEnabled_[size_t(k)]->setChecked(tb.IdBankEnabled[size_t(k)]);
    scanEnabled_->setChecked(tb.ScanEnabled);
    const TrunkId& e = app_.memory.TrunkIds[size_t(entry_)];
    id_->setText(QString::fromStdString(e.Id));
    service_->setText(QString::fromStdString(e.Service));
    stamp_->setText(e.TimeStamp == 0 ? " (Not Logged)" : StampText(e.TimeStamp));
    count_->setText(QString::fromStdString(ZeroPadded(e.Count, 4)));
    time_->setText(QString::fromStdString(ZeroPadded(e.ActiveTime, 4)));
    signal_->setText(QString::fromStdString(ZeroPadded(e.Signal, 2)));
    valid_->setChecked(e.Valid);
    delay_->setChecked(e.Delay);
    atten_->setChecked(e.Atten);
    resume_->setChecked(e.Resume);
    RadioChanged();
}

void TrunkWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) app_.settings.Windows[WinTrunk].Open = true;
    Display_Trunk();
}

void TrunkWindow::closeEvent(QCloseEvent* event) {
    StorePosition();
    app_.settings.Windows[WinTrunk].Open = false;
    QWidget::closeEvent(event);
}

void TrunkWindow::RestorePosition() {
    PlaceWindow(*this, app_.settings, WinTrunk);
}

void TrunkWindow::StorePosition() {
    WindowPlacement& w = app_.settings.Windows[WinTrunk];
    w.X = PixelsToTwips(x());
    w.Y = PixelsToTwips(y());
}

} // namespace rigvane
