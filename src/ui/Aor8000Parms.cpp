#include "ui/Aor8000Parms.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "storage/AtomicFile.h"
#include "ui/MainWindow.h"

namespace rigvane {

namespace {

const char* const ModeItems[] = {"WFM", "NFM", "AM ", "USB", "LSB", "CW ", "Off"};
const char* const FileFilter = "All Files (*.*)|*.*|Text files (*.prm) |*.prm";

struct ScrollRow {
    const char* Caption;
    int Low, High;
};
// Indexed by Aor8000Parms::ScrollIndex.
const ScrollRow ScrollRows[8] = {
    {"Power Cycle", 2, 9}, {"Level Scan", 0, 7},    {"Level Search", 0, 7}, {"Power Delay", 0, 99},
    {"Scan Delay", 0, 99}, {"Search Delay", 0, 99}, {"Free Scan", 0, 99},   {"Free Search", 0, 7},
};

QString LinkCaption(int i) {
    return QString(QChar(i < 10 ? 'A' + i : 'a' + i - 10));
}

template <typename T> T* Named(T* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

} // namespace

Aor8000Parms::Aor8000Parms(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName("AOR8PRM");
    setWindowTitle("AOR8000 Options");
    Build();
    ChooseFile = [this](bool save) {
        QFileDialog dialog(this);
        dialog.setObjectName("FrqFileDlg");
        const QStringList filters = MainWindow::QtFilters(FileFilter);
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(1));
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (save) dialog.setDefaultSuffix("prm");
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().first();
    };
    Show();
}

void Aor8000Parms::Build() {
    auto* top = new QVBoxLayout(this);
    auto* menu = new QMenuBar(this);
    QMenu* file = menu->addMenu("&File");
    file->setObjectName("File_Menu");
    QAction* open = file->addAction("&Open");
    open->setObjectName("File_Open");
    QAction* save = file->addAction("&Save As");
    save->setObjectName("File_Save");
    connect(open, &QAction::triggered, this, [this] {
        const QString path = ChooseFile(false);
        if (!path.isEmpty()) OpenFile(path);
    });
    connect(save, &QAction::triggered, this, [this] {
        const QString path = ChooseFile(true);
        if (!path.isEmpty()) SaveFile(path);
    });
    top->setMenuBar(menu);

    for (int i = 0; i < 8; ++i) {
        scroll_[size_t(i)] =
            Named(new QScrollBar(Qt::Horizontal, this), QString("Scroll_%1").arg(i));
        scroll_[size_t(i)]->setRange(ScrollRows[i].Low, ScrollRows[i].High);
        scroll_[size_t(i)]->setMinimumWidth(120);
        sVal_[size_t(i)] = Named(new QLabel(this), QString("SVal_%1").arg(i));
        sLabel_[size_t(i)] = Named(new QLabel(this), QString("SLabel_%1").arg(i));
        connect(scroll_[size_t(i)], &QScrollBar::valueChanged, this,
                [this, i] { ScrollChanged(i); });
    }
    auto addScroll = [this](QGridLayout* grid, int row, int index) {
        grid->addWidget(new QLabel(ScrollRows[index].Caption), row, 0);
        grid->addWidget(scroll_[size_t(index)], row, 1);
        grid->addWidget(sVal_[size_t(index)], row, 2);
        grid->addWidget(sLabel_[size_t(index)], row, 3);
    };
    auto links = [this](std::array<QCheckBox*, 20>& boxes, const char* name, const char* caption) {
        auto* box = new QGroupBox(caption, this);
        auto* grid = new QGridLayout(box);
        for (int i = 0; i < 20; ++i) {
            boxes[size_t(i)] =
                Named(new QCheckBox(LinkCaption(i), box), QString("%1_%2").arg(name).arg(i));
            grid->addWidget(boxes[size_t(i)], i / 10, i % 10);
        }
        return box;
    };

    auto* scan = new QGroupBox("Memory Scan Parms", this);
    auto* scanGrid = new QGridLayout(scan);
    scanLnkChk_ = Named(new QCheckBox("Link on", scan), "ScanLnkChk");
    scanGrid->addWidget(scanLnkChk_, 0, 0, 1, 4);
    scanGrid->addWidget(links(scanLink_, "ScanLink", "Link Scan Banks"), 1, 0, 1, 4);
    addScroll(scanGrid, 2, FreeScan);
    addScroll(scanGrid, 3, LevelScan);
    mmodeCmb_ = Named(new QComboBox(scan), "MmodeCmb");
    for (const char* item : ModeItems)
        mmodeCmb_->addItem(item);
    scanGrid->addWidget(new QLabel("Mode Scan"), 4, 0);
    scanGrid->addWidget(mmodeCmb_, 4, 1);
    mAudioChk_ = Named(new QCheckBox("Audio Scan", scan), "MAudioChk");
    scanGrid->addWidget(mAudioChk_, 5, 0, 1, 4);
    addScroll(scanGrid, 6, ScanDelay);

    auto* search = new QGroupBox("Search Parms", this);
    auto* searchGrid = new QGridLayout(search);
    srchLinkChk_ = Named(new QCheckBox("Link on", search), "SrchLinkChk");
    searchGrid->addWidget(srchLinkChk_, 0, 0, 1, 4);
    searchGrid->addWidget(links(srchLink_, "SrchLink", "Link Search Banks"), 1, 0, 1, 4);
    addScroll(searchGrid, 2, FreeSearch);
    addScroll(searchGrid, 3, LevelSearch);
    sAudioChk_ = Named(new QCheckBox("Audio Search", search), "SAudioChk");
    searchGrid->addWidget(sAudioChk_, 4, 0, 1, 4);
    addScroll(searchGrid, 5, SearchDelay);

    auto* power = new QGroupBox("Power Options", this);
    auto* powerGrid = new QGridLayout(power);
    addScroll(powerGrid, 0, PowerDelay);
    powCycle_ = Named(new QGroupBox(power), "PowCycle");
    auto* cycleGrid = new QGridLayout(powCycle_);
    addScroll(cycleGrid, 0, PowerCycle);
    powerGrid->addWidget(powCycle_, 1, 0, 1, 4);

    auto* frames = new QGridLayout;
    frames->addWidget(scan, 0, 0);
    frames->addWidget(search, 0, 1);
    frames->addWidget(power, 1, 0, 1, 2);
    top->addLayout(frames);

    auto* buttons = new QHBoxLayout;
    auto* cancel = Named(new QPushButton("Cancel", this), "CancelBut");
    auto* send = Named(new QPushButton("Send To Radio", this), "SetDataBut");
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(send);
    top->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(send, &QPushButton::clicked, this, [this] {
        if (WriteRadio() || app_.progress.Cancel) {
            accept();
            return;
        }
        // The settings stay on show, so the user can try again.
        app_.host.MessageBox("Error!", "The radio did not take every setting.",
                             MsgIcon::Exclamation);
    });
}

DriverContext Aor8000Parms::Context() {
    DriverContext ctx = app_.radio.Context();
    ctx.Cancelled = [this] {
        app_.host.Yield(); // the Status window's Cancel button gets its click
        return app_.progress.Cancel;
    };
    return ctx;
}

void Aor8000Parms::ReadRadio() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    DriverContext ctx = Context();
    Aor8000().ReadSettings(ctx, block_);
    Show();
    QApplication::restoreOverrideCursor();
}

bool Aor8000Parms::WriteRadio() {
    Take();
    Progress& progress = app_.progress;
    progress.Cancel = false;
    progress.Show("Sending To Radio");
    DriverContext ctx = Context();
    const bool sent = Aor8000().WriteSettings(ctx, block_, [&progress](int percent) {
        progress.Update(percent, std::to_string(percent) + "% complete...");
    });
    progress.Hide();
    return sent;
}

void Aor8000Parms::Show() {
    scanLnkChk_->setChecked(block_.Ml);
    srchLinkChk_->setChecked(block_.Bq);
    mAudioChk_->setChecked(block_.Sa);
    sAudioChk_->setChecked(block_.Xa);
    mmodeCmb_->setCurrentIndex(std::clamp<int>(block_.Xm, 0, 6));
    for (size_t i = 0; i < 20; ++i) {
        scanLink_[i]->setChecked(block_.ScanLinks[i] != 0);
        srchLink_[i]->setChecked(block_.SearchLinks[i] != 0);
    }
    const int values[8] = {block_.Pi,
                           block_.Sb,
                           block_.Xb,
                           block_.Pa,
                           int(std::lround(block_.Sd * 10)),
                           int(std::lround(block_.Xd * 10)),
                           block_.Sp,
                           block_.Xp};
    for (int i = 0; i < 8; ++i) {
        scroll_[size_t(i)]->setValue(values[i]);
        ScrollChanged(i); // also when the value did not change
    }
}

void Aor8000Parms::Take() {
    block_.Ml = scanLnkChk_->isChecked();
    block_.Bq = srchLinkChk_->isChecked();
    block_.Sa = mAudioChk_->isChecked();
    block_.Xa = sAudioChk_->isChecked();
    block_.Xm = int16_t(mmodeCmb_->currentIndex());
    for (size_t i = 0; i < 20; ++i) {
        block_.ScanLinks[i] = scanLink_[i]->isChecked();
        block_.SearchLinks[i] = srchLink_[i]->isChecked();
    }
    block_.Pi = int16_t(scroll_[PowerCycle]->value());
    block_.Sb = int16_t(scroll_[LevelScan]->value());
    block_.Xb = int16_t(scroll_[LevelSearch]->value());
    block_.Pa = int16_t(scroll_[PowerDelay]->value());
    block_.Sd = scroll_[ScanDelay]->value() / 10.0;
    block_.Xd = scroll_[SearchDelay]->value() / 10.0;
    block_.Sp = int16_t(scroll_[FreeScan]->value());
    block_.Xp = int16_t(scroll_[FreeSearch]->value());
}

void Aor8000Parms::ScrollChanged(int index) {
    const int v = scroll_[size_t(index)]->value();
    QLabel* value = sVal_[size_t(index)];
    QLabel* label = sLabel_[size_t(index)];
    if (index == PowerDelay) powCycle_->setEnabled(v != 0);
    if (v == 0) {
        value->setText("Off");
        label->clear();
    } else if (index == LevelScan || index == LevelSearch) {
        value->setText(QString::number(v));
        label->setText("min signal");
    } else if (index == ScanDelay || index == SearchDelay) {
        value->setText(QString::number(v / 10.0, 'f', 1));
        label->setText("Seconds");
    } else {
        value->setText(QString("%1").arg(v, 2, 10, QChar('0')));
        label->setText("Seconds");
    }
}

bool Aor8000Parms::SaveFile(const QString& path) {
    Take();
    std::string error;
    if (!WriteFileAtomically(path.toStdString(), Aor8000SettingsText(block_), &error)) {
        app_.host.MessageBox("File Error", "Cannot write " + path.toStdString() + ": " + error,
                             MsgIcon::Exclamation);
        return false;
    }
    return true;
}

bool Aor8000Parms::OpenFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        app_.host.MessageBox("Open Error", "Cannot open " + path.toStdString(),
                             MsgIcon::Exclamation);
        return false;
    }
    const QByteArray bytes = file.read(64 * 1024);
    Take();
    Aor8000Settings read = block_;
    std::string error;
    if (!Aor8000SettingsFromText(bytes.toStdString(), read, &error)) {
        app_.host.MessageBox("Open Error", path.toStdString() + ", " + error, MsgIcon::Exclamation);
        return false;
    }
    block_ = read;
    Show();
    return true;
}

} // namespace rigvane
