#include "ui/MainWindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>

#include "core/CodeTables.h"
#include "drivers/Registry.h"
#include "qt/HelpPage.h"
#include "qt/PortFactory.h"
#include "qt/RigctldServer.h"
#include "ui/AboutWindow.h"
#include "ui/ActivityDisplay.h"
#include "ui/Aor8000Parms.h"
#include "ui/BankEditor.h"
#include "ui/GlobalParms.h"
#include "ui/MemoryEditor.h"
#include "ui/MessageWindow.h"
#include "ui/RadioParms.h"
#include "ui/StatusWindow.h"
#include "ui/Thf6aParms.h"
#include "ui/TrunkEditor.h"
#include "ui/Twips.h"
#include "ui/VfoWindow.h"

namespace rigvane {

namespace {

// Captions of the mode buttons 0..10 (the blanks after "Load" and "Set" belong to them).
const char* const ModeCaptions[11] = {"Manual",       "Scan",          "Turbo Scan",   "Search",
                                      "Turbo Search", "Load ",         "Set ",         "Mem->VFO",
                                      "VFO->Mem",     "Search->Radio", "Radio->Search"};
const char* const MeterCaptions[MeterLabels] = {"1", "2", "3", "4",  "5",  "6",
                                                "7", "8", "9", "+1", "+2", "+3"};

// The meter's colour values are written blue-green-red (255 is red).
QColor FromBgr(uint32_t v) {
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

void SetBackground(QWidget* w, const QColor& colour) {
    w->setStyleSheet(QString("background-color: %1;").arg(colour.name()));
}

QString Digits(int value, int width) {
    return QString("%1").arg(value, width, 10, QChar('0'));
}

// A label that reports clicks, double clicks and mouse releases.
class ClickLabel : public QLabel {
  public:
    using QLabel::QLabel;
    std::function<void(Qt::MouseButton)> OnPress;
    std::function<void()> OnRelease;
    std::function<void()> OnDoubleClick;

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (OnPress) OnPress(e->button());
        e->accept();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (OnRelease) OnRelease();
        e->accept();
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (OnDoubleClick) OnDoubleClick();
        e->accept();
    }
};

} // namespace

MainWindow::MainWindow(App& app, Engine& engine, QWidget* parent)
    : QMainWindow(parent), app_(app), engine_(engine) {
    setObjectName("rigvane");
    setWindowTitle("Rigvane");

    messages_ = new MessageWindow(app_.log, app_.settings, this);
    rigctld_ = new RigctldServer(engine_, this);
    status_ = new StatusWindow(app_.progress, this);
    about_ = new AboutWindow(this);

    BuildMenus();

    auto* central = new QWidget(this);
    central->setObjectName("centralArea");
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->addWidget(BuildStatusFrame(), 0, 0);
    grid->addWidget(BuildMeterFrame(), 0, 1);
    auto* ops = new QGroupBox("Operations", central);
    ops->setObjectName("Ops_Frame");
    auto* opsLayout = new QHBoxLayout(ops);
    opsLayout->addWidget(BuildChannelFrame());
    opsLayout->addWidget(BuildModeFrame(), 1);
    grid->addWidget(ops, 1, 0, 1, 2);
    grid->addWidget(BuildOptionsFrame(), 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    setCentralWidget(central);

    // Hooks of the layers below.
    app_.link.OnStatus = [this](const std::string& caption, uint32_t rgb) {
        ShowStatus(caption, rgb);
    };
    app_.link.OnBusyCursor = [this](bool busy) { SetBusyCursor(busy); };
    app_.log.OnChanged = [this] { messages_->Redraw(); };
    // A USB adapter that comes back under another name is found by its serial number.
    app_.link.Finder = MakeDeviceFinder();
    statsLbl_ = new QLabel(this);
    statsLbl_->setObjectName("StatsLbl");
    statusBar()->addPermanentWidget(statsLbl_);
    app_.log.OnLoggingDisabled = [this] {
        app_.settings.Global.Logging = false;
        logChk_->setChecked(false);
    };
    engine_.SetView(this);

    app_.settings.Windows[WinMain].Open = true;
    DisplayChannel();
}

MainWindow::~MainWindow() {
    engine_.SetView(nullptr);
    app_.link.OnStatus = nullptr;
    app_.link.OnBusyCursor = nullptr;
    app_.log.OnChanged = nullptr;
    app_.log.OnLoggingDisabled = nullptr;
    while (busyDepth_ > 0)
        SetBusyCursor(false);
}

// --- building -------------------------------------------------------------

void MainWindow::BuildMenus() {
    auto item = [this](QMenu* menu, const char* caption, const char* name) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(name);
        return a;
    };
    auto action = [this](QAction* a, int code) {
        connect(a, &QAction::triggered, this, [this, code] { engine_.RequestAction(code); });
    };

    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("FileMenu");
    action(item(file, "&Open Frequency file", "File_menu_0"), ActionOpenFile);
    action(item(file, "&Save Frequency File", "File_menu_1"), ActionSaveFile);
    action(item(file, "&New Frequency Database file", "DBFile_Menu"), ActionDatabase);
    action(item(file, "&Change Log File Name", "LogFile_Menu"), ActionLogFileName);
    action(item(file, "Export Hit Journal...", "ExportJournal_Menu"), ActionExportJournal);
    // "New S&tandard Frequency File" has no operation: it is not offered.
    QAction* std = item(file, "New S&tandard Frequency File", "StdFile_Menu");
    std->setVisible(false);
    QMenu* debug = file->addMenu("Debug File");
    debug->setObjectName("DbgFile_Menu");
    dbgFileOn_ = item(debug, "Debug File On", "DbgFileOn_Menu");
    dbgFileOff_ = item(debug, "Debug File Off", "DbgFileOff_Menu");
    dbgKeyOn_ = item(debug, "Debug Keystrokes On", "DbgKeyOn_Menu");
    dbgKeyOff_ = item(debug, "Debug Keystrokes Off", "DbgKeyOff_Menu");
    dbgTest_ = item(debug, "Test Radio", "DbgTest_Menu");
    dbgFileOff_->setEnabled(false);
    dbgKeyOff_->setEnabled(false);
    // Opening a trace file that cannot be opened leaves the items as they were.
    connect(dbgFileOn_, &QAction::triggered, this, [this] {
        if (!app_.link.OpenDebugFile()) return;
        dbgFileOn_->setEnabled(false);
        dbgFileOff_->setEnabled(true);
    });
    connect(dbgFileOff_, &QAction::triggered, this, [this] {
        app_.link.CloseDebugFile();
        dbgFileOff_->setEnabled(false);
        dbgFileOn_->setEnabled(true);
    });
    connect(dbgKeyOn_, &QAction::triggered, this, [this] {
        if (!app_.link.OpenDebugKeyFile()) return;
        dbgKeyOn_->setEnabled(false);
        dbgKeyOff_->setEnabled(true);
    });
    connect(dbgKeyOff_, &QAction::triggered, this, [this] {
        app_.link.CloseDebugKeyFile();
        dbgKeyOff_->setEnabled(false);
        dbgKeyOn_->setEnabled(true);
    });
    action(dbgTest_, ActionRadioTest);
    file->addSeparator();
    QAction* exit = item(file, "E&xit", "Exit_menu");
    connect(exit, &QAction::triggered, this, &QWidget::close);

    // The windows of the View menu join it as they are built.
    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("ViewMenu");
    QAction* vfoA = item(view, "VFO&A", "VFOA_menu");
    connect(vfoA, &QAction::triggered, this, [this] { ShowVfo(0); });
    QAction* vfoB = item(view, "VFO&B", "VFOB_menu");
    connect(vfoB, &QAction::triggered, this, [this] { ShowVfo(1); });
    QAction* messages = item(view, "&Messages", "Message_menu");
    connect(messages, &QAction::triggered, this, [this] { messages_->Open(); });
    QAction* spectrum = item(view, "&Spectrum", "Spectrum_menu");
    connect(spectrum, &QAction::triggered, this, [this] { ShowSpectrum(); });
    QAction* memory = item(view, "M&emory Channels", "Freqdb_menu");
    connect(memory, &QAction::triggered, this, [this] { ShowMemoryEditor(); });
    QAction* scan = item(view, "S&can Banks", "Scandb_menu");
    connect(scan, &QAction::triggered, this, [this] { ShowScanEditor(); });
    QAction* search = item(view, "S&earch Banks", "Srchdb_menu");
    connect(search, &QAction::triggered, this, [this] { ShowSearchEditor(); });
    QAction* trunk = item(view, "&Trunking Channels", "Trunk_menu");
    connect(trunk, &QAction::triggered, this, [this] { ShowTrunk(); });
    QAction* stats = item(view, "Stat&istics", "Statistics_menu");
    connect(stats, &QAction::triggered, this, [this] {
        StatisticsChanged();
        status_->show();
        status_->raise();
    });

    QMenu* clear = menuBar()->addMenu("&Clear");
    clear->setObjectName("ClearMenu");
    action(item(clear, "&Everything", "DbClrAll"), ActionClearAll);

    // The settings dialogs join the Parms menu as they are built; until then
    // the menu is not shown.
    QMenu* parms = menuBar()->addMenu("&Parms");
    parms->setObjectName("ParmsMenu");
    QAction* global = item(parms, "&Global_parms", "Global_menu");
    action(global, ActionGlobalParms);
    for (int i = 0; i < ProfileCount; ++i) {
        const QString caption =
            i == 4 ? QString("Radio&%1 parms").arg(i + 1) : QString("Radio&%1 Parms").arg(i + 1);
        QAction* a = parms->addAction(caption);
        a->setObjectName(QString("Parms_menu_%1").arg(i));
        action(a, i + 1);
    }
    thf6a_ = item(parms, "&TH-F6A Settings", "THF6A_Menu");
    action(thf6a_, ActionThf6aParms);
    aor8000_ = item(parms, "&AOR8000 Settings", "AOR8000_menu");
    action(aor8000_, ActionAor8000Parms);
    bool anyDialog = false;
    for (QAction* a : parms->actions()) {
        const int code = a == global     ? ActionGlobalParms
                         : a == thf6a_   ? ActionThf6aParms
                         : a == aor8000_ ? ActionAor8000Parms
                                         : a->objectName().mid(11).toInt() + 1;
        const bool available = DialogAvailable(code);
        a->setVisible(available);
        anyDialog = anyDialog || available;
    }
    parms->menuAction()->setVisible(anyDialog);

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("HelpMenu");
    QAction* general = item(help, "&General Help", "help_item_0");
    connect(general, &QAction::triggered, this, [] {
        const QString page = HelpPagePath();
        if (!page.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(page));
    });
    general->setVisible(!HelpPagePath().isEmpty()); // no help page: nothing to open
    help->addSeparator();
    QAction* about = item(help, "&About", "help_item_2");
    connect(about, &QAction::triggered, this, [this] { about_->ShowAbout(); });
}

QWidget* MainWindow::BuildStatusFrame() {
    auto* frame = new QGroupBox("Status");
    frame->setObjectName("StatusFrm");
    auto* grid = new QGridLayout(frame);
    radioSel_ = new QComboBox(frame);
    radioSel_->setObjectName("RadioSelCmb");
    radioSel_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(radioSel_, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { engine_.SelectRadio(index); });
    auto* selected = new QLabel("Selected Radio", frame);
    selected->setObjectName("RadLabel_4");
    selRadLab_ = new QLabel(frame);
    selRadLab_->setObjectName("SelRadLab");
    comRadio_ = new QLabel(frame);
    comRadio_->setObjectName("ComRadio");
    protRadio_ = new QLabel(frame);
    protRadio_->setObjectName("ProtRadio");
    bcvfo_ = new QLabel(frame);
    bcvfo_->setObjectName("BCVFO");
    bcvfo_->hide();
    auto* status = new ClickLabel("Connecting To Radio", frame);
    status->setObjectName("RadStatus");
    status->setFrameShape(QFrame::Panel);
    status->setFrameShadow(QFrame::Sunken);
    status->setAlignment(Qt::AlignCenter);
    status->setWordWrap(true);
    status->setMinimumHeight(40);
    status->setToolTip("Double click to connect to the radio again");
    status->OnDoubleClick = [this] { engine_.RetryConnection(); };
    radStatus_ = status;

    grid->addWidget(radioSel_, 0, 0, 1, 3);
    grid->addWidget(selected, 1, 0);
    grid->addWidget(selRadLab_, 1, 1);
    grid->addWidget(bcvfo_, 1, 2, Qt::AlignRight);
    grid->addWidget(comRadio_, 2, 0);
    grid->addWidget(protRadio_, 2, 1, 1, 2);
    grid->addWidget(radStatus_, 3, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    return frame;
}

QWidget* MainWindow::BuildMeterFrame() {
    auto* frame = new QGroupBox("Signal");
    frame->setObjectName("SigMtrFrm");
    auto* layout = new QVBoxLayout(frame);
    auto* meter = new QHBoxLayout;
    meter->setSpacing(2);
    for (int i = 0; i < MeterLabels; ++i) {
        auto* lab = new ClickLabel(MeterCaptions[i], frame);
        lab->setObjectName(QString("SigLab_%1").arg(i));
        lab->setAlignment(Qt::AlignCenter);
        lab->setFrameShape(QFrame::Box);
        lab->setMinimumSize(24, 26);
        lab->OnPress = [this, i](Qt::MouseButton) { engine_.MeterClick(i); };
        SetBackground(lab, FromBgr(MeterIdleColour));
        sigLab_[i] = lab;
        meter->addWidget(lab, 1);
    }
    sigOff_ = new QPushButton("off", frame);
    sigOff_->setObjectName("SigOffButton");
    sigOff_->setFixedWidth(sigOff_->fontMetrics().horizontalAdvance("off") + 24);
    connect(sigOff_, &QPushButton::clicked, this, [this] { engine_.TurnSignalOff(); });
    meter->addSpacing(6);
    meter->addWidget(sigOff_);
    layout->addLayout(meter);

    auto* timers = new QGridLayout;
    auto* resume = new QLabel("Time To Resume", frame);
    resume->setObjectName("RadLabel_2");
    rsmLabel_ = new QLabel("000", frame);
    rsmLabel_->setObjectName("RsmLabel");
    auto* bank = new QLabel("Current Bank", frame);
    bank->setObjectName("RadLabel_3");
    bankLabel_ = new QLabel("00", frame);
    bankLabel_->setObjectName("BankLabel");
    for (QLabel* l : {rsmLabel_, bankLabel_}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setAlignment(Qt::AlignCenter);
        l->setMinimumWidth(l->fontMetrics().horizontalAdvance("0000") + 8);
    }
    timers->addWidget(resume, 0, 0);
    timers->addWidget(rsmLabel_, 0, 1);
    timers->addWidget(bank, 1, 0);
    timers->addWidget(bankLabel_, 1, 1);
    timers->setColumnStretch(2, 1);
    layout->addLayout(timers);
    layout->addStretch();
    return frame;
}

QWidget* MainWindow::BuildChannelFrame() {
    auto* box = new QWidget;
    box->setObjectName("ChannelArea");
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* caption = new QLabel("Channel", box);
    caption->setObjectName("VFOLabel");
    caption->setAlignment(Qt::AlignCenter);
    layout->addWidget(caption);

    // Three digits in the display face; a click steps the digit (left: up,
    // other buttons: down) and holding the button repeats.
    auto* digits = new QFrame(box);
    digits->setObjectName("DigitPanel");
    digits->setFrameShape(QFrame::Panel);
    digits->setFrameShadow(QFrame::Sunken);
    digits->setAutoFillBackground(true);
    QPalette pal = digits->palette();
    pal.setColor(QPalette::Window, QColor(16, 24, 16));
    digits->setPalette(pal);
    auto* digitRow = new QHBoxLayout(digits);
    digitRow->setContentsMargins(8, 4, 8, 4);
    digitRow->setSpacing(2);
    for (int i = 0; i < 3; ++i) {
        auto* d = new ClickLabel("0", digits);
        d->setObjectName(QString("MEMDigit_%1").arg(i));
        d->setAlignment(Qt::AlignCenter);
        d->setStyleSheet("color: rgb(120, 255, 120);");
        d->OnPress = [this, i](Qt::MouseButton b) {
            engine_.StartRepeat(i + 2, b == Qt::LeftButton);
        };
        d->OnRelease = [this] { engine_.StopRepeat(); };
        memDigit_[i] = d;
        digitRow->addWidget(d);
    }
    layout->addWidget(digits, 0, Qt::AlignHCenter);

    auto* steps = new QHBoxLayout;
    const char* captions[2] = {"Up", "Dn"};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(captions[i], box);
        b->setObjectName(QString("ChanScrlBut_%1").arg(i));
        connect(b, &QPushButton::pressed, this, [this, i] { engine_.StartRepeat(i); });
        connect(b, &QPushButton::released, this, [this] { engine_.StopRepeat(); });
        chanScrl_[i] = b;
    }
    steps->addWidget(chanScrl_[0]);
    steps->addWidget(MakeEntry(0));
    steps->addWidget(chanScrl_[1]);
    entry_[0]->setToolTip("Type a channel number, then Enter");
    layout->addLayout(steps);

    vselBut_ = new QPushButton("Swap VFOa <-> VFOb", box);
    vselBut_->setObjectName("VSelBut");
    connect(vselBut_, &QPushButton::clicked, this, [this] { engine_.RequestMode(ModeSwapVfo); });
    layout->addWidget(vselBut_);
    memBut_ = new QPushButton("Use COMPUTER's Memories", box);
    memBut_->setObjectName("MemBut");
    connect(memBut_, &QPushButton::clicked, this, [this] { engine_.ToggleMemoryButton(); });
    layout->addWidget(memBut_);
    layout->addStretch();
    return box;
}

QWidget* MainWindow::BuildModeFrame() {
    auto* box = new QWidget;
    box->setObjectName("ModeArea");
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* buttons = new QGridLayout;
    modeGroup_ = new QButtonGroup(this);
    modeGroup_->setExclusive(true);
    for (int i = 0; i < 11; ++i) {
        auto* b = new QRadioButton(ModeCaptions[i], box);
        b->setObjectName(QString("ScanModeButton_%1").arg(i));
        modeGroup_->addButton(b, i);
        connect(b, &QRadioButton::clicked, this, [this, i] { engine_.RequestMode(i); });
        modeButton_[i] = b;
    }
    modeButton_[0]->setChecked(true);
    // Column one: listening modes; column two: memory transfers. Each column
    // closes up over the buttons the selected radio does not offer.
    auto* listening = new QVBoxLayout;
    auto* transfers = new QVBoxLayout;
    for (int i = 0; i < 11; ++i)
        (i < ModeLoad ? listening : transfers)->addWidget(modeButton_[i]);
    listening->addStretch();
    transfers->addStretch();
    buttons->addLayout(listening, 0, 0);
    buttons->addLayout(transfers, 0, 1);
    layout->addLayout(buttons);

    auto* range = new QGridLayout;
    auto* first = new QLabel("Start Load/Set", box);
    first->setObjectName("RadLabel_5");
    auto* last = new QLabel("Stop  Load/Set", box);
    last->setObjectName("RadLabel_6");
    range->addWidget(first, 0, 0);
    range->addWidget(MakeEntry(1), 0, 1);
    range->addWidget(last, 1, 0);
    range->addWidget(MakeEntry(2), 1, 1);
    range->setColumnStretch(2, 1);
    layout->addLayout(range);

    speedLabel_ = new QLabel("SPEED 100%", box);
    speedLabel_->setObjectName("speedlabel");
    speedLabel_->setMinimumWidth(speedLabel_->fontMetrics().horizontalAdvance("speed   100%") + 8);
    speedBar_ = new QScrollBar(Qt::Horizontal, box);
    speedBar_->setObjectName("Speedbar");
    speedBar_->setRange(0, 100);
    speedBar_->setPageStep(10);
    speedBar_->setMinimumWidth(160);
    connect(speedBar_, &QScrollBar::valueChanged, this, [this](int v) {
        speedMoved_ = true;
        engine_.SetSpeed(v);
    });
    auto* speed = new QHBoxLayout;
    speed->addWidget(speedLabel_);
    speed->addWidget(speedBar_, 1);
    layout->addLayout(speed);
    layout->addStretch();
    return box;
}

QWidget* MainWindow::BuildOptionsFrame() {
    auto* frame = new QGroupBox("Global Switches");
    frame->setObjectName("Options_frame");
    auto* grid = new QGridLayout(frame);
    ctcsChk_ = MakeCheck("CtcsScanChk", "CTCSS Enable");
    trunkChk_ = MakeCheck("TrunkScanChk", "Scan Trunk Freqs");
    syncChk_ = MakeCheck("SyncChk", "Memory Sync");
    prioChk_ = MakeCheck("PrioChk", "Priority");
    bankChk_ = MakeCheck("BankChk", "Banks On");
    rsmChk_ = MakeCheck("RsmChk", "Resume");
    noLogChk_ = MakeCheck("NoLogChk", "Don't Update Memory");
    logChk_ = MakeCheck("LogChk", "Log to File");
    lightChk_ = MakeCheck("LightChk", "Light on Signal");
    const std::array<QCheckBox*, 9> order = {bankChk_, prioChk_,  rsmChk_,   syncChk_, noLogChk_,
                                             logChk_,  lightChk_, trunkChk_, ctcsChk_};
    for (size_t i = 0; i < order.size(); ++i) {
        grid->addWidget(order[i], static_cast<int>(i / 4), static_cast<int>(i % 4));
        connect(order[i], &QCheckBox::clicked, this, [this, box = order[i]] { CheckClicked(box); });
    }
    auto* prio = new QLabel("Priority Channel", frame);
    prio->setObjectName("RadLabel_1");
    auto* prioRow = new QHBoxLayout;
    prioRow->addWidget(prio);
    prioRow->addWidget(MakeEntry(3));
    prioRow->addStretch();
    grid->addLayout(prioRow, 2, 1, 1, 3);
    return frame;
}

QLineEdit* MainWindow::MakeEntry(int index) {
    auto* e = new QLineEdit;
    e->setObjectName(QString("EntryTxt_%1").arg(index));
    e->setContextMenuPolicy(Qt::NoContextMenu); // typing is the only way in
    e->setFixedWidth(e->fontMetrics().horizontalAdvance("00000") + 16);
    e->setAlignment(Qt::AlignCenter);
    e->installEventFilter(this);
    entry_[index] = e;
    return e;
}

QCheckBox* MainWindow::MakeCheck(const char* name, const char* caption) {
    auto* c = new QCheckBox(caption);
    c->setObjectName(name);
    return c;
}

// --- start-up and shutdown --------------------------------------------------

void MainWindow::Start(const std::string& iniPath, const StartupHooks& hooks, bool startLoop) {
    about_->ShowStartup();
    ScanInitialize(app_, iniPath, engine_.MakeStartupHooks(hooks));
    Drop_Down_Init();
    app_.settings.Windows[WinMain].Open = true;
    about_->hide();
    show();
    DisplayChannel();
    // The auxiliary windows that were open last time (the others join as
    // they are built).
    if (app_.settings.Windows[WinSpectrum].Open) ShowSpectrum();
    app_.settings.Windows[WinTrunk].Open = false; // the trunk editor never reopens at start
    if (app_.settings.Windows[WinSearchBanks].Open) ShowSearchEditor();
    if (app_.settings.Windows[WinScanBanks].Open) ShowScanEditor();
    if (app_.settings.Windows[WinMemoryEditor].Open) ShowMemoryEditor();
    app_.radioState.Current = app_.radioState.Vfo[app_.radioState.ActiveVfo & 1];
    if (app_.settings.Windows[WinVfoB].Open) ShowVfo(1);
    if (app_.settings.Windows[WinVfoA].Open) ShowVfo(0);
    if (app_.settings.Windows[WinMessage].Open) messages_->Open();
    RestorePosition();
    Drop_Down_Init();
    app_.memory.MemoryEdited = false;
    ApplyRigctld();
    if (startLoop) {
        QTimer::singleShot(0, this, [this] {
            if (!closing_ && !shutDown_) engine_.RunLoop();
        });
    }
}

void MainWindow::ApplyRigctld() {
    const Globals& g = app_.settings.Global;
    const std::string address = !RigctldOverride.empty() ? RigctldOverride
                                : g.Rigctld              ? g.RigctldAddress
                                                         : "";
    if (address == rigctldAddress_ && (address.empty() || rigctld_->Listening())) return;
    rigctld_->Close();
    rigctldAddress_ = address;
    if (address.empty()) return;
    std::string error;
    if (rigctld_->Listen(address, &error))
        app_.log.Dply("rigctld server on " + address);
    else
        app_.log.Dply("*rigctld server cannot listen on " + address + ": " + error);
}

void MainWindow::RestorePosition() {
    PlaceWindow(*this, app_.settings, WinMain);
}

void MainWindow::StorePosition() {
    WindowPlacement& w = app_.settings.Windows[WinMain];
    w.X = PixelsToTwips(x());
    w.Y = PixelsToTwips(y());
}

void MainWindow::CloseQuietly() {
    quiet_ = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (shutDown_ || closing_) { // a second way out while the first one runs
        event->accept();
        return;
    }
    closing_ = true;
    SetBusyCursor(true);
    about_->ShowShutdown();
    StorePosition();
    messages_->StorePlacement();
    // The open VFO and Spectrum windows keep their places and stay marked open.
    for (VfoWindow* w : vfo_)
        if (w && w->isVisible()) w->StorePosition();
    if (spectrum_ && spectrum_->isVisible()) spectrum_->StorePosition();
    if (trunk_ && trunk_->isVisible()) trunk_->StorePosition();
    for (RecordEditor* w :
         {static_cast<RecordEditor*>(memEditor_), static_cast<RecordEditor*>(scanEditor_),
          static_cast<RecordEditor*>(searchEditor_)})
        if (w && w->isVisible()) w->StorePosition();
    if (quiet_ && app_.memory.MemoryEdited) {
        // Nobody to ask for a file name: the changed data stays unsaved.
        const std::string line = "Ended by a signal: changed channel data was not saved";
        app_.log.Dply(line);
        std::fprintf(stderr, "rigvane: %s\n", line.c_str());
        app_.memory.MemoryEdited = false;
    }
    SetBusyCursor(false);
    const bool end = engine_.Shutdown([this] {
        if (spectrum_) spectrum_->hide();
        if (trunk_) trunk_->hide();
        messages_->CloseForShutdown();
        // Hidden, not closed: an editor open now opens again at the next start.
        for (QWidget* w : {static_cast<QWidget*>(memEditor_), static_cast<QWidget*>(scanEditor_),
                           static_cast<QWidget*>(searchEditor_)})
            if (w) w->hide();
        status_->hide();
        for (VfoWindow* w : vfo_)
            if (w) w->hide();
        return true;
    });
    settingsSaved_ = engine_.SettingsSaved();
    about_->hide();
    closing_ = false;
    quiet_ = false;
    if (!end) { // an editor refused to close: the program keeps running
        event->ignore();
        return;
    }
    shutDown_ = true;
    event->accept();
}

// --- control set-up ------------------------------------------------------------

void MainWindow::Drop_Down_Init() {
    // The engine applies the rules for the selected radio and hands the
    // result back through RefreshControls, also after a reconnect or a
    // frequency file's keywords.
    engine_.ApplyControlSetup();
}

void MainWindow::SetChecksFromSwitches() {
    const Globals& g = app_.settings.Global;
    bankChk_->setChecked(g.UseBanks);
    logChk_->setChecked(g.Logging);
    noLogChk_->setChecked(g.NoLog);
    rsmChk_->setChecked(g.SigRsm != 0);
    prioChk_->setChecked(g.Priority);
    syncChk_->setChecked(g.MemSync != 0);
    // The light switch is 0 off, 1 on with a signal, 2 (grey) always on; a
    // click only toggles between off and on, the grey state comes from code.
    const uint8_t light = engine_.State().LightSwitch;
    lightChk_->setTristate(light == 2);
    lightChk_->setCheckState(light == 2   ? Qt::PartiallyChecked
                             : light == 1 ? Qt::Checked
                                          : Qt::Unchecked);
    trunkChk_->setChecked(g.TrnkSMode);
    ctcsChk_->setChecked(g.CtcsMode);
}

void MainWindow::ApplyDigitFont() {
    // A face that is not installed leaves Qt's substitute; the label grows
    // to the digits' height so nothing is cut off.
    QFont face(QString::fromStdString(app_.settings.Global.FreqFont));
    face.setPointSize(app_.settings.Global.FreqSize > 0 ? app_.settings.Global.FreqSize : 26);
    const QFontMetrics metrics(face);
    const int height = std::max(TwipsToPixels(475), metrics.height() + 4);
    const int width = metrics.horizontalAdvance(QChar('8')) + 6;
    for (QLabel* d : memDigit_) {
        d->setFont(face);
        d->setFixedSize(width, height);
    }
}

void MainWindow::CheckClicked(QCheckBox* box) {
    Globals& g = app_.settings.Global;
    const bool on = box->checkState() == Qt::Checked;
    if (box == bankChk_)
        g.UseBanks = on;
    else if (box == logChk_)
        g.Logging = on;
    else if (box == rsmChk_)
        g.SigRsm = on ? 1 : 0;
    else if (box == prioChk_)
        g.Priority = on;
    else if (box == syncChk_)
        g.MemSync = on ? 1 : 0;
    else if (box == trunkChk_)
        g.TrnkSMode = on;
    else if (box == ctcsChk_)
        g.CtcsMode = on;
    else if (box == lightChk_) {
        const Qt::CheckState state = lightChk_->checkState();
        engine_.State().LightSwitch = state == Qt::Checked            ? 1
                                      : state == Qt::PartiallyChecked ? 2
                                                                      : 0;
        lightChk_->setTristate(engine_.State().LightSwitch == 2); // grey is not clicked to
    } else if (box == noLogChk_)
        engine_.NoLogClicked(on);
}

// --- entry fields -----------------------------------------------------------

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    for (int field = 0; field < 4; ++field) {
        if (watched != entry_[field]) continue;
        if (event->type() == QEvent::KeyPress)
            return EntryKeyPress(field, static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // Another window or a menu taking the focus for a while is not
            // leaving the field. The check runs once the focus has settled.
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                QTimer::singleShot(0, this, [this, field] { EntryFocusLost(field); });
        }
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::EntryKeyPress(int field, QKeyEvent* event) {
    int key = 0;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key = KeyEnter;
        break;
    case Qt::Key_Backspace:
        key = KeyBackspace;
        break;
    case Qt::Key_Escape:
        key = KeyEscape;
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return false; // moving the focus and deleting stay the field's own
    default:
        if (event->text().isEmpty()) return false; // cursor keys, modifiers
        key = event->text().at(0).unicode();
        break;
    }
    const EntryKeyResult r = engine_.EntryKey(field, key);
    if (r.Accept) return false;
    QLineEdit* edit = entry_[field];
    if (r.Beep) app_.host.Beep();
    if (r.ClearField) edit->clear();
    if (r.SetText) edit->setText(QString::fromStdString(r.Text));
    if (r.FocusTo >= 0 && r.FocusTo < 4) entry_[r.FocusTo]->setFocus(Qt::TabFocusReason);
    return true;
}

void MainWindow::EntryFocusLost(int field) {
    if (validating_ || closing_ || !isVisible() || !isEnabled()) return;
    validating_ = true;
    QLineEdit* edit = entry_[field];
    const EntryLeaveResult r = engine_.EntryLeave(field, edit->text().toStdString());
    if (r.SetText) edit->setText(QString::fromStdString(r.Text));
    if (r.Beep) app_.host.Beep();
    if (!r.BoxText.empty()) app_.host.MessageBox(r.BoxTitle, r.BoxText, MsgIcon::Exclamation);
    if (r.KeepFocus) edit->setFocus(Qt::OtherFocusReason);
    validating_ = false;
}

// --- what the engine shows ---------------------------------------------------------

void MainWindow::DisplayVfo() {
    // The VFO windows draw the tuning state; the main window shows only the channel.
    if (VfoWindow* w = vfo_[app_.radioState.ActiveVfo & 1]) w->Display_VFO();
}

// --- VFO and Spectrum windows -------------------------------------------------

void MainWindow::ShowVfo(int i) {
    i &= 1;
    if (!vfo_[i]) vfo_[i] = new VfoWindow(app_, engine_, i, this);
    vfo_[i]->show();
    vfo_[i]->raise();
}

void MainWindow::ShowSpectrum() {
    if (!spectrum_) spectrum_ = new ActivityDisplay(app_, this);
    spectrum_->DisplayAll(); // channels may have changed while it was closed
    spectrum_->show();
    spectrum_->raise();
}

void MainWindow::ActiveVfoChanged() {
    for (VfoWindow* w : vfo_)
        if (w) w->DISPLAY_ACTIVE();
}

void MainWindow::VfoBackground() {
    if (VfoWindow* w = vfo_[app_.radioState.ActiveVfo & 1]) w->VFO_background();
}

void MainWindow::SpectrumBar(int32_t frequency, int level, uint32_t colour) {
    if (spectrum_ && spectrum_->isVisible()) spectrum_->DisplayBar(frequency, level, colour);
}

void MainWindow::ShowTrunk() {
    if (!trunk_) trunk_ = new TrunkWindow(app_, engine_, this);
    trunk_->show();
    trunk_->raise();
}

void MainWindow::TrunkDataChanged() {
    if (trunk_) trunk_->Display_Trunk();
}

void MainWindow::RefreshEditors() {
    TrunkDataChanged();
    if (memEditor_) {
        memEditor_->SetupAuxControls(); // the radio may have changed
        memEditor_->Redisplay();
    }
    for (BankEditor* w : {scanEditor_, searchEditor_})
        if (w) w->Redisplay();
    for (VfoWindow* w : vfo_) {
        if (!w) continue;
        w->Drop_Down_Init();
        w->Display_VFO();
    }
    if (spectrum_ && spectrum_->isVisible()) spectrum_->DisplayAll();
}

void MainWindow::MemoryReplaced() {
    if (memEditor_) memEditor_->MemoryReplaced();
    for (BankEditor* w : {scanEditor_, searchEditor_})
        if (w) w->MemoryReplaced();
}

void MainWindow::ShowMemoryEditor() {
    if (!memEditor_) memEditor_ = new MemoryEditor(app_, engine_, this);
    memEditor_->show();
    memEditor_->raise();
}

void MainWindow::ShowScanEditor() {
    if (!scanEditor_) scanEditor_ = new BankEditor(app_, engine_, MoveKind::ScanBanks, this);
    scanEditor_->show();
    scanEditor_->raise();
}

void MainWindow::ShowSearchEditor() {
    if (!searchEditor_) searchEditor_ = new BankEditor(app_, engine_, MoveKind::SearchBanks, this);
    searchEditor_->show();
    searchEditor_->raise();
}

void MainWindow::ShowChannelInEditor(int channel) {
    if (memEditor_ && memEditor_->isVisible()) {
        memEditor_->EntryChanged(channel);
        memEditor_->ShowEntry(channel);
    }
}

int MainWindow::EditorChannel() {
    return memEditor_ && memEditor_->isVisible() ? memEditor_->Shown() : -1;
}

void MainWindow::ChannelChanged(int channel) {
    if (memEditor_) memEditor_->EntryChanged(channel);
}

void MainWindow::SearchBankEditorShow(int bank) {
    if (!searchEditor_ || !searchEditor_->isVisible()) return;
    searchEditor_->EntryChanged(bank);
    searchEditor_->ShowEntry(bank);
}

void MainWindow::DisplayChannel() {
    int channel = app_.radioState.CurrentChannel;
    if (channel < 0 || channel > 999) channel = ((channel % 1000) + 1000) % 1000;
    const QString text = Digits(channel, 3);
    for (int i = 0; i < 3; ++i)
        memDigit_[i]->setText(text.mid(i, 1));
}

void MainWindow::SelectModeButton(int index) {
    if (index < 0 || index > 10) return;
    modeButton_[index]->setChecked(true); // no click: the mode is not requested again
}

void MainWindow::SignalDisplay(int, int, const std::array<uint32_t, MeterLabels>& colours) {
    for (int i = 0; i < MeterLabels; ++i)
        SetBackground(sigLab_[i], FromBgr(colours[i]));
}

void MainWindow::RefreshControls(const ControlSetup& setup) {
    if (trunk_) trunk_->RadioChanged();
    modeButton_[ModeSearch]->setEnabled(setup.SearchEnabled);
    modeButton_[ModeTurboSearch]->setEnabled(setup.TurboSearchEnabled);
    memBut_->setEnabled(setup.MemButEnabled);
    modeButton_[ModeLoad]->setEnabled(setup.LoadEnabled);
    modeButton_[ModeSet]->setEnabled(setup.SetEnabled);
    modeButton_[ModeVfoToMem]->setEnabled(setup.VfoToMemEnabled);
    lightChk_->setEnabled(setup.LightEnabled);
    modeButton_[ModeTurboScan]->setVisible(setup.TurboScanVisible);
    modeButton_[ModeTurboSearch]->setVisible(setup.TurboSearchVisible);
    modeButton_[ModeSearchToRadio]->setVisible(setup.SearchToRadioVisible);
    modeButton_[ModeRadioToSearch]->setVisible(setup.RadioToSearchVisible);
    ctcsChk_->setVisible(setup.CtcssVisible);
    aor8000_->setEnabled(setup.Aor8000MenuEnabled);
    thf6a_->setEnabled(setup.Thf6aMenuEnabled);
    MemButCaption(setup.MemButCaption);

    // The window's own part: the radio names (a settings dialog may have
    // changed them), the switches, the speed, the priority channel and the
    // display face.
    radioSel_->clear();
    for (const RadioProfile& p : app_.settings.RadioProfiles)
        radioSel_->addItem(QString::fromStdString(p.Name));
    RadioCaptions(setup);
    SetChecksFromSwitches();
    speedBar_->setValue(app_.settings.Global.Speed);
    const int priority = app_.settings.Global.PriorityChannel;
    if (priority != 0 || !entry_[3]->text().isEmpty()) entry_[3]->setText(Digits(priority, 3));
    ApplyDigitFont();
}

void MainWindow::RadioCaptions(const ControlSetup& setup) {
    bcvfo_->setVisible(setup.BcVfoVisible);
    bcvfo_->setText(QString::fromStdString(setup.BcVfoText));
    comRadio_->setText(QString::fromStdString(setup.ComText));
    protRadio_->setText(QString::fromStdString(setup.ModelText));
    selRadLab_->setText(QString::fromStdString(setup.SelRadText));
    if (radioSel_->count() > app_.settings.SelectedRadio)
        radioSel_->setCurrentIndex(app_.settings.SelectedRadio);
}

void MainWindow::BankLabel(int bank) {
    bankLabel_->setText(Digits(bank, 2));
}

void MainWindow::ResumeLabel(int seconds) {
    rsmLabel_->setText(Digits(seconds, 3));
}

void MainWindow::PriorityFieldHighlight(bool on) {
    entry_[3]->setStyleSheet(on ? "background-color: rgb(255, 0, 0);" : QString());
}

void MainWindow::LoadSetRange(int first, int last) {
    entry_[1]->setText(QString::number(first));
    entry_[2]->setText(QString::number(last));
}

bool MainWindow::DialogAvailable(int code) {
    // The global parameters dialog, the eight radio parameters dialogs and
    // the AR8000 and TH-F6A settings.
    return (code >= ActionGlobalParms && code <= ProfileCount) || code == ActionAor8000Parms ||
           code == ActionThf6aParms;
}

bool MainWindow::RunDialog(int code) {
    if (!DialogAvailable(code)) return false;
    if (code == ActionGlobalParms) {
        GlobalParms dialog(app_, this);
        dialog.exec();
        ApplyRigctld();
    } else if (code == ActionAor8000Parms) {
        // Only for a radio that has the dialog (the menu item is disabled otherwise).
        if (ModelCapsFor(app_.settings.Selected()).Dialog != ModelDialog::Aor8000) return false;
        Aor8000Parms dialog(app_, this);
        dialog.ReadRadio();
        dialog.exec();
    } else if (code == ActionThf6aParms) {
        Thf6aParms dialog(app_, this);
        dialog.exec();
    } else {
        RadioParms dialog(app_, code - 1, this);
        dialog.exec();
    }
    return true;
}

QStringList MainWindow::QtFilters(const std::string& filter) {
    // "description|pattern|description|pattern...": Qt wants "description (pattern)".
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed().replace(QChar(';'), QChar(' '));
        // The description usually names the pattern already: "Text files (*.frq)".
        const int open = description.lastIndexOf('(');
        if (open >= 0 && description.endsWith(')')) description = description.left(open).trimmed();
        out << QString("%1 (%2)").arg(description, pattern.isEmpty() ? "*" : pattern);
    }
    return out;
}

std::string MainWindow::ChooseFile(const std::string& filter, int filterIndex,
                                   const std::string& initialName, bool save) {
    const QStringList filters = QtFilters(filter);
    QFileDialog dialog(this);
    dialog.setObjectName("FileDialog");
    dialog.setNameFilters(filters);
    // Filter indexes count from 1.
    if (filterIndex >= 1 && filterIndex <= filters.size())
        dialog.selectNameFilter(filters[filterIndex - 1]);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!initialName.empty()) dialog.selectFile(QString::fromStdString(initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return "";
    return dialog.selectedFiles().first().toStdString();
}

void MainWindow::SetBusyCursor(bool busy) {
    if (busy) {
        ++busyDepth_;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0) {
        --busyDepth_;
        QApplication::restoreOverrideCursor();
    }
}

void MainWindow::TestRadioMenuEnabled(bool enabled) {
    dbgTest_->setEnabled(enabled);
}

void MainWindow::SpeedLabel(const std::string& text) {
    // The label keeps its first caption until the speed is moved.
    if (speedMoved_) speedLabel_->setText(QString::fromStdString(text));
}

void MainWindow::MemButCaption(const std::string& caption) {
    if (!caption.empty()) memBut_->setText(QString::fromStdString(caption));
}

void MainWindow::LoadButtonsEnabled(bool load, bool vfoToMem) {
    modeButton_[ModeLoad]->setEnabled(load);
    modeButton_[ModeVfoToMem]->setEnabled(vfoToMem);
}

void MainWindow::ShowStatus(const std::string& caption, uint32_t rgb) {
    radStatus_->setText(QString::fromStdString(caption));
    const QColor colour((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    radStatus_->setStyleSheet(QString("color: %1;").arg(colour.name()));
}

void MainWindow::StatisticsChanged() {
    const ScanStats& e = engine_.State().Stats;
    const LinkStats& l = app_.link.Stats;
    QString text = QString::number(e.ChannelsPerSecond, 'f', 1) + " ch/s";
    if (l.LastLatencyMs >= 0) text += QString("   latency %1 ms").arg(l.LastLatencyMs);
    statsLbl_->setText(text);
    status_->ShowStatistics(QString::fromStdString(engine_.StatisticsLine()));
}

} // namespace rigvane
