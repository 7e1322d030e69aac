#include "ui/Thf6aParms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QVBoxLayout>

#include "drivers/Thf6a.h"

namespace rigvane {

namespace {

// What each check box of the menu stands for, in the order of its commands.
const char* const CheckCaptions[Thf6aMenu::CheckCount] = {"Memory recall on current band",
                                                          "Automatic repeater offset",
                                                          "Tuning enable with lock",
                                                          "Beat shift",
                                                          "Bar antenna",
                                                          "Key beep",
                                                          "Narrow FM (band C)",
                                                          "TX hold",
                                                          "DTMF lock",
                                                          "VOX on busy",
                                                          "TX inhibit",
                                                          "Call key 1750 Hz",
                                                          "DTMF TX hold"};
const char* const ListCaptions[Thf6aMenu::ListCount] = {
    "Packet speed", "Scan resume", "Battery saver", "Auto power off", "Battery",
    "DTMF speed",   "DTMF pause",  "VOX gain",      "VOX delay"};

} // namespace

Thf6aParms::Thf6aParms(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName("ThF6Parm");
    setWindowTitle("Th-F6A Settings");
    Build();
    Show(Thf6aMenu{});
}

void Thf6aParms::Build() {
    auto* outer = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    QMenu* file = bar->addMenu("&File");
    file->setObjectName("FIle_Menu");
    // The file items only show the file dialog.
    QAction* open =
        file->addAction("&Open", this, [this] { QFileDialog::getOpenFileName(this, "Open"); });
    open->setObjectName("File_open");
    QAction* save =
        file->addAction("&Save", this, [this] { QFileDialog::getSaveFileName(this, "Save"); });
    save->setObjectName("File_Save");
    outer->setMenuBar(bar);

    auto* columns = new QHBoxLayout;
    outer->addLayout(columns);

    auto* general = new QGroupBox("Settings", this);
    auto* generalGrid = new QVBoxLayout(general);
    for (size_t i = 0; i < checks_.size(); ++i) {
        checks_[i] = new QCheckBox(CheckCaptions[i], general);
        checks_[i]->setObjectName(QString("ChkBx_%1").arg(i));
        generalGrid->addWidget(checks_[i]);
    }
    columns->addWidget(general);

    auto* options = new QGroupBox("Options", this);
    auto* optionsGrid = new QGridLayout(options);
    for (size_t i = 0; i < lists_.size(); ++i) {
        lists_[i] = new QComboBox(options);
        lists_[i]->setObjectName(QString("Cmb_%1").arg(i));
        for (const char* entry : Thf6aLists[i].Entries)
            lists_[i]->addItem(entry);
        optionsGrid->addWidget(new QLabel(ListCaptions[i], options), int(i), 0);
        optionsGrid->addWidget(lists_[i], int(i), 1);
    }
    const int row = int(lists_.size());
    balance_ = new QScrollBar(Qt::Horizontal, options);
    balance_->setObjectName("BalScroll");
    balance_->setRange(0, 4);
    optionsGrid->addWidget(new QLabel("Balance", options), row, 0);
    optionsGrid->addWidget(balance_, row, 1);
    contrast_ = new QScrollBar(Qt::Horizontal, options);
    contrast_->setObjectName("ContScroll");
    contrast_->setRange(1, 16);
    contrastLabel_ = new QLabel(options);
    contrastLabel_->setObjectName("ContLab");
    connect(contrast_, &QScrollBar::valueChanged, this,
            [this](int v) { contrastLabel_->setText(QString("Contrast= %1").arg(v)); });
    optionsGrid->addWidget(contrastLabel_, row + 1, 0);
    optionsGrid->addWidget(contrast_, row + 1, 1);
    message_ = new QLineEdit(options);
    message_->setObjectName("PowMsgTxt");
    message_->setMaxLength(8);
    optionsGrid->addWidget(new QLabel("Power-on message", options), row + 2, 0);
    optionsGrid->addWidget(message_, row + 2, 1);
    auto* links = new QHBoxLayout;
    for (size_t k = 0; k < groupLinks_.size(); ++k) {
        groupLinks_[k] = new QCheckBox(QString::number(k), options);
        groupLinks_[k]->setObjectName(QString("GroupLnkChk_%1").arg(k));
        links->addWidget(groupLinks_[k]);
    }
    optionsGrid->addWidget(new QLabel("Group links", options), row + 3, 0);
    optionsGrid->addLayout(links, row + 3, 1);
    columns->addWidget(options);

    auto* dtmf = new QGroupBox("DTMF memories", this);
    auto* dtmfGrid = new QGridLayout(dtmf);
    const auto* digits =
        new QRegularExpressionValidator(QRegularExpression("[0-9A-D*#]{0,16}"), this);
    for (size_t n = 0; n < dtmfNumbers_.size(); ++n) {
        dtmfNumbers_[n] = new QLineEdit(dtmf);
        dtmfNumbers_[n]->setObjectName(QString("DTMFNumber_%1").arg(n));
        dtmfNumbers_[n]->setValidator(digits);
        dtmfNames_[n] = new QLineEdit(dtmf);
        dtmfNames_[n]->setObjectName(QString("DTMFTxt_%1").arg(n));
        dtmfNames_[n]->setMaxLength(8);
        dtmfGrid->addWidget(new QLabel(QString::number(n), dtmf), int(n), 0);
        dtmfGrid->addWidget(dtmfNumbers_[n], int(n), 1);
        dtmfGrid->addWidget(dtmfNames_[n], int(n), 2);
    }
    columns->addWidget(dtmf);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    connect(button("Read From Radio", "ReadRadioBut"), &QPushButton::clicked, this,
            [this] { ReadRadio(); });
    connect(button("Send To Radio", "ToRadioBut"), &QPushButton::clicked, this,
            [this] { WriteRadio(); });
    connect(button("Cancel", "CanBut"), &QPushButton::clicked, this, &QDialog::reject);
    outer->addLayout(buttons);
}

Thf6aMenu Thf6aParms::Values() const {
    Thf6aMenu m;
    for (size_t i = 0; i < checks_.size(); ++i)
        m.Checks[i] = checks_[i]->isChecked();
    for (size_t i = 0; i < lists_.size(); ++i)
        m.Lists[i] = lists_[i]->currentIndex() < 0 ? 0 : lists_[i]->currentIndex();
    for (size_t n = 0; n < dtmfNumbers_.size(); ++n) {
        m.DtmfNumbers[n] = dtmfNumbers_[n]->text().toStdString();
        m.DtmfNames[n] = dtmfNames_[n]->text().toStdString();
    }
    for (size_t k = 0; k < groupLinks_.size(); ++k)
        m.GroupLinks[k] = groupLinks_[k]->isChecked();
    m.Balance = balance_->value();
    m.Contrast = contrast_->value();
    m.PowerOnMessage = message_->text().toStdString();
    return m;
}

void Thf6aParms::Show(const Thf6aMenu& m) {
    for (size_t i = 0; i < checks_.size(); ++i)
        checks_[i]->setChecked(m.Checks[i]);
    for (size_t i = 0; i < lists_.size(); ++i)
        lists_[i]->setCurrentIndex(m.Lists[i]);
    for (size_t n = 0; n < dtmfNumbers_.size(); ++n) {
        dtmfNumbers_[n]->setText(QString::fromStdString(m.DtmfNumbers[n]));
        dtmfNames_[n]->setText(QString::fromStdString(m.DtmfNames[n]));
    }
    for (size_t k = 0; k < groupLinks_.size(); ++k)
        groupLinks_[k]->setChecked(m.GroupLinks[k]);
    balance_->setValue(m.Balance);
    contrast_->setValue(m.Contrast);
    contrastLabel_->setText(QString("Contrast= %1").arg(contrast_->value()));
    message_->setText(QString::fromStdString(m.PowerOnMessage));
}

bool Thf6aParms::Run(bool write) {
    if (!app_.link.PortOpen()) {
        app_.host.MessageBox("Error!", "The radio is not connected.", MsgIcon::Exclamation);
        return false;
    }
    DriverContext ctx = app_.radio.Context();
    setEnabled(false);
    app_.progress.Show(write ? "Sending TH-F6A Settings" : "Reading TH-F6A Settings");
    Thf6aMenu menu = Values();
    const bool done =
        write ? WriteThf6aMenu(ctx, menu, app_.progress) : ReadThf6aMenu(ctx, menu, app_.progress);
    app_.progress.Hide();
    if (!write) Show(menu); // what was read so far, also when stopped
    setEnabled(true);
    return done;
}

bool Thf6aParms::ReadRadio() {
    return Run(false);
}

bool Thf6aParms::WriteRadio() {
    return Run(true);
}

} // namespace rigvane
