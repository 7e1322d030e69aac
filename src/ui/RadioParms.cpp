#include "ui/RadioParms.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/CodeTables.h"
#include "core/Text.h"
#include "drivers/Hamlib.h"
#include "engine/LocateRadio.h"
#include "qt/HelpPage.h"
#include "qt/PortFactory.h"
#include "storage/SettingsFile.h"

namespace rigvane {

namespace {

enum Field { FieldName = 0, FieldMaxFreq = 1, FieldMinFreq = 2, FieldMaxChan = 3 };

constexpr int TimeoutStep = 30;
constexpr int TimeoutEntries = 21; // 0, 30, ... 600
constexpr int VfoChannels = 300;
constexpr int ModelSlots = 6;
constexpr double MaxEntryMhz = 9999.99999;
constexpr const char* NotSupportedMark = " (not supported yet)";

QString MhzText(int32_t frequency) {
    return QString::fromStdString(TrimBlanks(FreqToText(frequency)));
}

QString Hex2(int v) {
    return QString("%1").arg(v, 2, 16, QChar('0')).toUpper();
}

QLabel* Caption(const char* text, const char* name, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

} // namespace

// ---- defaults ------------------------------------------------------------------

void RadioParms::ApplyProtocolDefaults(RadioProfile& p, const FamilyCaps& caps) {
    p.Timeout = 3 * TimeoutStep; // 90 ms, whatever the protocol
    if (!caps.UsesPort) {        // the test radio: no port, nothing serial
        p.Port = 0;
        return;
    }
    const int8_t model = caps.Model(p.Model).Serial.Model;
    if (model >= 0) p.Model = uint8_t(model);
    const SerialDefaults& d = caps.Model(p.Model).Serial;
    p.Flow = d.Flow;
    p.Detect = d.Detect;
    p.MinChan = d.MinChan;
    p.Bits = d.Bits;
    p.Stop = d.Stop;
    if (d.Parity != SerialDefaults::KeepParity) p.Parity = d.Parity;
    p.Baud = d.Baud;
    p.MaxFreq = TextToFreq(d.MaxMhz);
    p.MinFreq = TextToFreq(d.MinMhz);
    p.MaxChan = d.MaxChan;
    p.Timeout = d.Timeout;
    if (d.VfoChan >= 0) p.VfoChan = d.VfoChan;
    if (caps.BusAddress) { // back to the addresses a new profile has
        const RadioProfile fresh;
        p.Addr = fresh.Addr;
        p.CompAddr = fresh.CompAddr;
    }
}

void RadioParms::ApplyModelDefaults(RadioProfile& p, const FamilyCaps& caps) {
    // A model change sets what sets the model apart from the family's other
    // models (a serial format, a channel count), and nothing else.
    if (!caps.ModelChoice() || p.Model >= caps.Models.size()) return;
    const SerialDefaults& d = caps.Models[p.Model].Serial;
    auto differs = [&caps](auto field) {
        for (const ModelCaps& m : caps.Models)
            if (m.Serial.*field != caps.Models.front().Serial.*field) return true;
        return false;
    };
    if (differs(&SerialDefaults::Flow)) p.Flow = d.Flow;
    if (differs(&SerialDefaults::Bits)) p.Bits = d.Bits;
    if (differs(&SerialDefaults::Stop)) p.Stop = d.Stop;
    if (differs(&SerialDefaults::Parity) && d.Parity != SerialDefaults::KeepParity)
        p.Parity = d.Parity;
    if (differs(&SerialDefaults::Baud)) p.Baud = d.Baud;
    if (differs(&SerialDefaults::MaxChan)) p.MaxChan = d.MaxChan;
}

void RadioParms::ApplyHamlibModel(RadioProfile& p) {
    if (p.Protocol != ProtoHamlib) return;
    const HamlibModelInfo info = HamlibModel(p.HamlibModel);
    if (info.Model == 0) return;
    if (info.MaxChannel > info.MinChannel) {
        p.MinChan = int16_t(std::clamp(info.MinChannel, 0, 1));
        p.MaxChan = int16_t(std::clamp(info.MaxChannel, int(p.MinChan) + 1, 999));
    }
    if (info.MaxFreq > info.MinFreq) {
        p.MinFreq = std::max(info.MinFreq, int32_t(10));
        p.MaxFreq = std::min(info.MaxFreq, int32_t(999999999));
    }
}

// ---- construction ------------------------------------------------------------

RadioParms::RadioParms(App& app, int radio, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName("RadioParms");
    setWindowTitle("Radio Parms");
    for (int i = 0; i < ProfileCount; ++i)
        work_[size_t(i)] = app_.settings.RadioProfiles[size_t(i)];
    edited_ = radio >= 0 && radio < ProfileCount ? radio : 0;
    Build();
    Connect();
    Display();
}

void RadioParms::Build() {
    auto* outer = new QVBoxLayout(this);
    body_ = new QWidget(this);
    body_->setObjectName("ParmsBody");
    outer->addWidget(body_);
    auto* grid = new QGridLayout(body_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setColumnMinimumWidth(3, 16); // gap between the two halves

    auto combo = [&](const char* name) {
        auto* c = new QComboBox(body_);
        c->setObjectName(name);
        return c;
    };
    auto check = [&](const char* text, const char* name) {
        auto* c = new QCheckBox(text, body_);
        c->setObjectName(name);
        return c;
    };

    // Left half: the radio.
    radSel_ = combo("RadSelCmb");
    for (int i = 0; i < ProfileCount; ++i)
        radSel_->addItem(QString::fromStdString(RightTrim(work_[size_t(i)].Name)));
    for (int i = 0; i < 4; ++i) {
        entry_[size_t(i)] = new QLineEdit(body_);
        entry_[size_t(i)]->setObjectName(QString("EntryTxt_%1").arg(i));
        entry_[size_t(i)]->installEventFilter(this);
    }
    entry_[FieldName]->setText("LOCAL (TEST)");
    entry_[FieldName]->setMaxLength(20);
    for (int i = FieldMaxFreq; i <= FieldMaxChan; ++i)
        entry_[size_t(i)]->setMaxLength(12);
    org_ = combo("OrgCmb");
    org_->addItems({"0", "1"});
    proto_ = combo("ProtoCmb");
    for (int protocol = 0; protocol < ProtocolCount; ++protocol) {
        // A protocol no driver serves yet can be stored, but it will not connect.
        QString name = ProtocolNames[size_t(protocol)];
        if (!app_.link.DriverOf(protocol)) name += NotSupportedMark;
        proto_->addItem(name);
    }
    model_ = combo("ModelCmb");
    model_->setMinimumContentsLength(12);
    addr_ = combo("AddrCmb");
    caddr_ = combo("CAddrCmb");
    for (int a = 0; a <= 255; ++a) {
        addr_->addItem(Hex2(a));
        caddr_->addItem(Hex2(a));
    }
    addr_->setMaxVisibleItems(16);
    caddr_->setMaxVisibleItems(16);
    addrLbl_ = Caption("Address (Hex)", "AddrLbl", body_);
    caddrLbl_ = Caption("Computer", "CAddrLbl", body_);
    vfoChan_ = combo("VFOChanCmb");
    for (int c = 1; c <= VfoChannels; ++c)
        vfoChan_->addItem(QString::number(c));
    vfoChan_->setMaxVisibleItems(16);
    vfoChanLbl_ = Caption("VFO Channel", "VFOChanLbl", body_);
    timeout_ = combo("TimeoutCmb");

    int row = 0;
    grid->addWidget(Caption("Radio Number", "RadSelLbl", body_), row, 0);
    grid->addWidget(radSel_, row++, 1, 1, 2);
    grid->addWidget(Caption("Radio Name", "NameLbl", body_), row, 0);
    grid->addWidget(entry_[FieldName], row++, 1, 1, 2);
    grid->addWidget(Caption("Protocol", "ProtoLbl", body_), row, 0);
    grid->addWidget(proto_, row, 1);
    grid->addWidget(model_, row++, 2);
    grid->addWidget(Caption("Max Frequency", "MaxFreqLbl", body_), row, 0);
    grid->addWidget(entry_[FieldMaxFreq], row++, 1);
    grid->addWidget(Caption("Min Frequency", "MinFreqLbl", body_), row, 0);
    grid->addWidget(entry_[FieldMinFreq], row++, 1);
    grid->addWidget(Caption("Max Channel", "MaxChanLbl", body_), row, 0);
    grid->addWidget(entry_[FieldMaxChan], row++, 1);
    grid->addWidget(Caption("Min Channel", "OrgLbl", body_), row, 0);
    grid->addWidget(org_, row++, 1);
    grid->addWidget(addrLbl_, row, 0);
    grid->addWidget(addr_, row++, 1);
    grid->addWidget(caddrLbl_, row, 0);
    grid->addWidget(caddr_, row++, 1);
    grid->addWidget(vfoChanLbl_, row, 0);
    grid->addWidget(vfoChan_, row++, 1);
    grid->addWidget(Caption("Timeout", "TimeoutLbl", body_), row, 0);
    grid->addWidget(timeout_, row, 1);
    grid->addWidget(Caption("(mSecs)", "MSecsLbl", body_), row++, 2);
    const int leftRows = row;

    // Right half: the serial line.
    port_ = combo("PortCmb");
    port_->addItems({"(none)", "Com 1", "Com 2", "Com 3", "Com 4"});
    device_ = combo("DeviceCmb");
    device_->setEditable(true);
    device_->setInsertPolicy(QComboBox::NoInsert);
    device_->setMinimumContentsLength(16);
    device_->setToolTip("A device to open instead of the Com port: a path such as "
                        "/dev/ttyUSB0, or sim:NAME for a simulated radio");
    device_->addItem("");
    // The lasting /dev/serial/by-id names first: they stay the same when the
    // adapter comes back as another ttyUSBn. The list shows what each one is;
    // choosing one puts only the path in the field.
    for (const NamedDevice& d : SerialByIdDevices()) {
        const QString path = QString::fromStdString(d.Path);
        device_->addItem(d.Description.empty()
                             ? path
                             : path + "  (" + QString::fromStdString(d.Description) + ")",
                         path);
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        device_->addItem(info.systemLocation(), info.systemLocation());
    connect(device_, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        const QString path = device_->itemData(index).toString();
        if (!path.isEmpty() && device_->currentText() != path) device_->setEditText(path);
    });
    baud_ = combo("BaudCmb");
    for (const char* b : BaudTexts)
        baud_->addItem(b);
    bits_ = combo("BitsCmb");
    bits_->addItems({"7", "8"});
    stop_ = combo("StopCmb");
    stop_->addItems({"1", "2"});
    parity_ = combo("ParityCmb");
    parity_->addItems({"None", "Odd", "Even", "Mark", "Space"});
    det_ = combo("DetCmb");
    det_->addItems({"(none)", "Hardware", "Software", "Both"});
    flow_ = check("Flow Control", "FlowChk");
    expCmd_ = check("Enable Extended Commands", "ExpCmdChk");
    xtraDly_ = check("Enable Character Delay", "XTRADLYCHK");
    test_ = new QPushButton("Locate Radio", body_);
    test_->setObjectName("TestBut");
    test_->setAutoDefault(false);

    row = 0;
    grid->addWidget(Caption("Com Port", "PortLbl", body_), row, 4);
    grid->addWidget(port_, row++, 5);
    grid->addWidget(Caption("Device", "DeviceLbl", body_), row, 4);
    grid->addWidget(device_, row++, 5);
    grid->addWidget(Caption("Baud Rate", "BaudLbl", body_), row, 4);
    grid->addWidget(baud_, row++, 5);
    grid->addWidget(Caption("Data Bits", "BitsLbl", body_), row, 4);
    grid->addWidget(bits_, row++, 5);
    grid->addWidget(Caption("Stop Bits", "StopLbl", body_), row, 4);
    grid->addWidget(stop_, row++, 5);
    grid->addWidget(Caption("Parity", "ParityLbl", body_), row, 4);
    grid->addWidget(parity_, row++, 5);
    grid->addWidget(Caption("Signal Detect", "DetLbl", body_), row, 4);
    grid->addWidget(det_, row++, 5);
    grid->addWidget(flow_, row++, 4, 1, 2);
    grid->addWidget(expCmd_, row++, 4, 1, 2);
    grid->addWidget(xtraDly_, row++, 4, 1, 2);
    grid->addWidget(test_, std::max(row, leftRows - 1), 4, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(5, 1);

    // HAMLIB: which of Hamlib's models, and its configuration.
    auto* hamlib = new QGroupBox("Hamlib", body_);
    hamlib->setObjectName("HamlibFrame");
    hamlib_ = hamlib;
    auto* hl = new QGridLayout(hamlib);
    hamlibFind_ = new QLineEdit(hamlib);
    hamlibFind_->setObjectName("HamlibFindTxt");
    hamlibFind_->setPlaceholderText("Find: manufacturer, model or number");
    hamlibFind_->setClearButtonEnabled(true);
    hamlibModels_ = new QTreeWidget(hamlib);
    hamlibModels_->setObjectName("HamlibModelList");
    hamlibModels_->setHeaderLabels({"Manufacturer", "Model", "Status", "No."});
    hamlibModels_->setRootIsDecorated(false);
    hamlibModels_->setUniformRowHeights(true);
    hamlibModels_->setMinimumHeight(140);
    hamlibConf_ = new QLineEdit(hamlib);
    hamlibConf_->setObjectName("HamlibConfTxt");
    hamlibConf_->setMaxLength(512);
    hamlibConf_->setPlaceholderText("rig_pathname=/dev/ttyUSB0,serial_speed=19200");
    hamlibConf_->setToolTip("Hamlib configuration, key=value,... (rig_pathname=localhost:4532 "
                            "for a radio shared by rigctld, model 2)");
    hl->addWidget(hamlibFind_, 0, 0, 1, 2);
    hl->addWidget(hamlibModels_, 1, 0, 1, 2);
    hl->addWidget(Caption("Configuration", "HamlibConfLbl", hamlib), 2, 0);
    hl->addWidget(hamlibConf_, 2, 1);
    grid->addWidget(hamlib, std::max(row, leftRows) + 1, 0, 1, 6);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* text, const char* name, QWidget* parent) {
        auto* b = new QPushButton(text, parent);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    ok_ = button("OK", "OKCmd", body_);
    ok_->setDefault(true);
    cancel_ = button("Cancel", "CanCmd", this); // stays usable during a search
    undo_ = button("Undo", "UndoCmd", body_);
    help_ = button("Help", "HelpCmd", body_);
    buttons->addStretch(1);
    for (QPushButton* b : {ok_, cancel_, undo_, help_})
        buttons->addWidget(b);
    outer->addLayout(buttons);
}

void RadioParms::Connect() {
    using Idx = void (QComboBox::*)(int);
    const Idx changed = &QComboBox::currentIndexChanged;
    auto onIndex = [&](QComboBox* c, auto fn) {
        connect(c, changed, this, [this, fn](int i) {
            if (loading_ || i < 0) return;
            fn(i);
        });
    };
    auto onCheck = [&](QCheckBox* c, bool RadioProfile::*field) {
        connect(c, &QCheckBox::toggled, this, [this, field](bool on) {
            if (loading_) return;
            Shown().*field = on;
            MarkChanged();
        });
    };

    onIndex(radSel_, [this](int i) {
        edited_ = i;
        Display();
    });
    onIndex(proto_, [this](int i) {
        Shown().Protocol = uint8_t(i);
        ApplyProtocolDefaults(Shown(), app_.link.CapsFor(i));
        ApplyHamlibModel(Shown());
        MarkChanged();
        Display();
    });
    onIndex(model_, [this](int i) {
        Shown().Model = uint8_t(i);
        ApplyModelDefaults(Shown(), app_.link.CapsFor(Shown().Protocol));
        MarkChanged();
        Display();
    });
    onIndex(org_, [this](int i) {
        Shown().MinChan = int16_t(i);
        MarkChanged();
    });
    onIndex(port_, [this](int i) {
        Shown().Port = uint8_t(i);
        MarkChanged();
        UpdateSerialEnabled();
    });
    onIndex(baud_, [this](int i) {
        Shown().Baud = int16_t(i);
        MarkChanged();
    });
    onIndex(bits_, [this](int i) {
        Shown().Bits = uint8_t(7 + i);
        MarkChanged();
    });
    onIndex(stop_, [this](int i) {
        Shown().Stop = uint8_t(1 + i);
        MarkChanged();
    });
    onIndex(parity_, [this](int i) {
        Shown().Parity = uint8_t(i);
        MarkChanged();
    });
    onIndex(det_, [this](int i) {
        Shown().Detect = uint8_t(i);
        MarkChanged();
    });
    onIndex(timeout_, [this](int i) {
        Shown().Timeout = timeout_->itemData(i).toInt();
        MarkChanged();
    });
    onIndex(vfoChan_, [this](int i) {
        Shown().VfoChan = int16_t(i + 1);
        MarkChanged();
    });
    // The radio and the computer cannot share a bus address.
    auto address = [this](QComboBox* box, uint8_t RadioProfile::*mine,
                          uint8_t RadioProfile::*other) {
        connect(box, &QComboBox::currentIndexChanged, this, [=](int i) {
            if (loading_ || i < 0) return;
            if (i == Shown().*other) {
                app_.host.MessageBox("Address", "Computer & Radio Address Cannot be the same!",
                                     MsgIcon::Exclamation);
                loading_ = true;
                box->setCurrentIndex(Shown().*mine);
                loading_ = false;
                return;
            }
            Shown().*mine = uint8_t(i);
            MarkChanged();
        });
    };
    address(addr_, &RadioProfile::Addr, &RadioProfile::CompAddr);
    address(caddr_, &RadioProfile::CompAddr, &RadioProfile::Addr);
    onCheck(flow_, &RadioProfile::Flow);
    onCheck(expCmd_, &RadioProfile::ExpCmd);
    onCheck(xtraDly_, &RadioProfile::XtraDly);

    connect(entry_[FieldName], &QLineEdit::textEdited, this, [this](const QString& text) {
        Shown().Name = RadioProfile::FixedWidth20(text.toStdString());
        radSel_->setItemText(edited_, text.trimmed());
        MarkChanged();
    });
    for (int i = FieldMaxFreq; i <= FieldMaxChan; ++i)
        connect(entry_[size_t(i)], &QLineEdit::textEdited, this, [this] { MarkChanged(); });
    connect(device_, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (loading_) return;
        const std::string device = text.trimmed().toStdString();
        if (device == Shown().Device) return;
        Shown().Device = device;
        MarkChanged();
        UpdateSerialEnabled();
    });

    connect(hamlibFind_, &QLineEdit::textChanged, this,
            [this](const QString& text) { FilterHamlibModels(text); });
    connect(hamlibModels_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
                if (loading_ || !item) return;
                Shown().HamlibModel = item->data(3, Qt::UserRole).toInt();
                ApplyHamlibModel(Shown());
                MarkChanged();
                Display();
            });
    connect(hamlibConf_, &QLineEdit::textEdited, this, [this](const QString& text) {
        Shown().HamlibConf = text.trimmed().toStdString();
        MarkChanged();
    });

    connect(test_, &QPushButton::clicked, this, [this] { Locate_Radio(); });
    connect(ok_, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    connect(undo_, &QPushButton::clicked, this, [this] { Undo(); });
    connect(help_, &QPushButton::clicked, this, [this] { Help(); });
}

// ---- showing a profile ---------------------------------------------------------

void RadioParms::SelectTimeout(int32_t timeout) {
    // The list offers 0..600 in steps of 30; a stored or found value outside
    // it gets an entry of its own so that it is shown and kept.
    timeout_->clear();
    for (int i = 0; i < TimeoutEntries; ++i)
        timeout_->addItem(QString::number(i * TimeoutStep), i * TimeoutStep);
    int at = timeout_->findData(int(timeout));
    if (at < 0) {
        int pos = 0;
        while (pos < timeout_->count() && timeout_->itemData(pos).toInt() < timeout)
            ++pos;
        timeout_->insertItem(pos, QString::number(timeout), int(timeout));
        at = pos;
    }
    timeout_->setCurrentIndex(at);
}

void RadioParms::Display() {
    const bool wasLoading = loading_;
    loading_ = true;
    const RadioProfile& p = Shown();
    radSel_->setCurrentIndex(edited_);
    entry_[FieldName]->setText(QString::fromStdString(RightTrim(p.Name)));
    entry_[FieldMaxFreq]->setText(MhzText(p.MaxFreq));
    entry_[FieldMinFreq]->setText(MhzText(p.MinFreq));
    entry_[FieldMaxChan]->setText(QString::number(p.MaxChan));
    org_->setCurrentIndex(p.MinChan >= 0 && p.MinChan <= 1 ? p.MinChan : -1);
    proto_->setCurrentIndex(p.Protocol < ProtocolCount ? p.Protocol : -1);
    model_->clear();
    for (int m = 0; m < ModelSlots; ++m)
        model_->addItem(ModelName(p.Protocol, m));
    model_->setCurrentIndex(p.Model < ModelSlots ? p.Model : -1);
    port_->setCurrentIndex(p.Port <= 4 ? p.Port : -1);
    device_->setEditText(QString::fromStdString(p.Device));
    baud_->setCurrentIndex(p.Baud >= 0 && p.Baud < baud_->count() ? p.Baud : -1);
    bits_->setCurrentIndex(p.Bits == 7 ? 0 : p.Bits == 8 ? 1 : -1);
    stop_->setCurrentIndex(p.Stop == 1 ? 0 : p.Stop == 2 ? 1 : -1);
    parity_->setCurrentIndex(p.Parity < parity_->count() ? p.Parity : -1);
    flow_->setChecked(p.Flow);
    det_->setCurrentIndex(p.Detect < det_->count() ? p.Detect : -1);
    SelectTimeout(p.Timeout);
    addr_->setCurrentIndex(p.Addr);
    caddr_->setCurrentIndex(p.CompAddr);
    vfoChan_->setCurrentIndex(p.VfoChan >= 1 && p.VfoChan <= VfoChannels ? p.VfoChan - 1 : -1);
    expCmd_->setChecked(p.ExpCmd);
    xtraDly_->setChecked(p.XtraDly);
    if (p.Protocol == ProtoHamlib) ShowHamlibModel();
    ApplyLayout();
    loading_ = wasLoading;
}

void RadioParms::ApplyLayout() {
    const int protocol = Shown().Protocol;
    auto show = [](QWidget* w, bool on) {
        w->setVisible(on);
        w->setEnabled(on);
    };
    org_->setEnabled(true);
    port_->setEnabled(true);

    const FamilyCaps& caps = app_.link.CapsFor(protocol);
    for (QWidget* w : std::initializer_list<QWidget*>{addr_, caddr_, addrLbl_, caddrLbl_})
        show(w, caps.BusAddress);
    show(model_, caps.ModelChoice());
    show(vfoChan_, caps.VfoChannel);
    show(vfoChanLbl_, caps.VfoChannel);
    expCmd_->setEnabled(caps.ExtendedCommands);
    // A family that opens the radio itself takes no port and is not searched for.
    port_->setEnabled(!caps.OwnConnection);
    test_->setEnabled(!caps.OwnConnection);
    hamlib_->setVisible(protocol == ProtoHamlib); // the Hamlib model chooser
    UpdateSerialEnabled();
}

void RadioParms::FillHamlibModels() {
    if (hamlibModels_->topLevelItemCount() > 0) return;
    QList<QTreeWidgetItem*> items;
    for (const HamlibModelInfo& m : HamlibModels()) {
        auto* item = new QTreeWidgetItem(
            {QString::fromStdString(m.Manufacturer), QString::fromStdString(m.Name),
             QString::fromStdString(m.Status), QString::number(m.Model)});
        item->setData(3, Qt::UserRole, m.Model);
        items << item;
    }
    hamlibModels_->addTopLevelItems(items);
    hamlibModels_->resizeColumnToContents(0);
    hamlibModels_->resizeColumnToContents(1);
}

void RadioParms::FilterHamlibModels(const QString& text) {
    const QStringList words = text.simplified().split(' ', Qt::SkipEmptyParts);
    for (int i = 0; i < hamlibModels_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = hamlibModels_->topLevelItem(i);
        const QString row = item->text(0) + " " + item->text(1) + " " + item->text(3);
        bool match = true;
        for (const QString& w : words)
            match = match && row.contains(w, Qt::CaseInsensitive);
        item->setHidden(!match && item != hamlibModels_->currentItem());
    }
}

void RadioParms::ShowHamlibModel() {
    FillHamlibModels();
    const RadioProfile& p = Shown();
    QTreeWidgetItem* chosen = nullptr;
    for (int i = 0; i < hamlibModels_->topLevelItemCount() && !chosen; ++i) {
        QTreeWidgetItem* item = hamlibModels_->topLevelItem(i);
        if (item->data(3, Qt::UserRole).toInt() == p.HamlibModel) chosen = item;
    }
    hamlibModels_->setCurrentItem(chosen);
    if (chosen) hamlibModels_->scrollToItem(chosen);
    hamlibConf_->setText(QString::fromStdString(p.HamlibConf));
}

void RadioParms::UpdateSerialEnabled() {
    // A device named beside the port list is a port too.
    const bool serial =
        port_->isEnabled() && (port_->currentIndex() > 0 || !Shown().Device.empty());
    for (QWidget* w : std::initializer_list<QWidget*>{det_, flow_, stop_, parity_, bits_, baud_})
        w->setEnabled(serial);
    // A family that opens the radio itself still reads its signal our way.
    if (app_.link.CapsFor(Shown().Protocol).OwnConnection) det_->setEnabled(true);
}

// ---- entry fields ---------------------------------------------------------------

bool RadioParms::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box or menu taking the focus is not the user leaving the field.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            for (int i = 0; i < 4; ++i)
                if (watched == entry_[size_t(i)]) LeaveField(i);
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool RadioParms::ParseFrequency(const QString& text, double* mhz) const {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return false;
    *mhz = v;
    return true;
}

void RadioParms::LeaveField(int index) {
    if (checkingField_ || locating_) return;
    checkingField_ = true;
    QLineEdit* field = entry_[size_t(index)];
    app_.link.KeyLog("Enter Radio Parm field " + std::to_string(index),
                     field->text().toStdString());
    if (index == FieldMaxFreq || index == FieldMinFreq) {
        double mhz = 0;
        if (!ParseFrequency(field->text(), &mhz) || mhz < 0 || mhz > MaxEntryMhz + 1e-9) {
            app_.host.Beep();
            app_.host.MessageBox(" entry error", "entry must be between 0 and 9999",
                                 MsgIcon::Exclamation);
        } else {
            const int32_t f = int32_t(std::llround(mhz * 100000.0));
            field->setText(MhzText(f));
            (index == FieldMaxFreq ? Shown().MaxFreq : Shown().MinFreq) = f;
        }
    } else if (index == FieldMaxChan) {
        bool ok = false;
        const int n = field->text().trimmed().toInt(&ok);
        if (!ok || n < 0 || n > 999) {
            app_.host.Beep();
            app_.host.MessageBox(" entry error", "entry must be between 0 and 999",
                                 MsgIcon::Exclamation);
        } else {
            Shown().MaxChan = int16_t(n);
        }
    }
    checkingField_ = false;
}

// ---- OK, Cancel, Undo, Help -----------------------------------------------------

bool RadioParms::OkChecks() {
    auto error = [this](const std::string& text) {
        app_.host.MessageBox("Error!", text, MsgIcon::Critical);
        return false;
    };
    bool ok = false;
    const int maxChan = entry_[FieldMaxChan]->text().trimmed().toInt(&ok);
    if (!ok || maxChan <= org_->currentIndex()) return error("Channel Max must be > ORIGIN!");
    double minMhz = 0, maxMhz = 0;
    if (!ParseFrequency(entry_[FieldMinFreq]->text(), &minMhz) || minMhz < 0 ||
        minMhz > 9999.9999 + 1e-9)
        return error("Freq Mininum must be between 0 and " + std::string("9999.9999!"));
    if (!ParseFrequency(entry_[FieldMaxFreq]->text(), &maxMhz) || maxMhz < 0 || maxMhz > 9999)
        return error("Freq Maximum must be between 0 and " + std::string("9999!"));
    if (maxMhz < minMhz) return error("Freq Maximum must be greater then Minimum!");
    RadioProfile& p = Shown();
    if (p.Protocol == ProtoHamlib && HamlibModel(p.HamlibModel).Model == 0)
        return error("Choose the radio's model in the Hamlib list!");
    p.MaxChan = int16_t(maxChan);
    // The same numbers the checks passed (a text such as "1e3" included).
    p.MaxFreq = int32_t(std::llround(maxMhz * 100000.0));
    p.MinFreq = int32_t(std::llround(minMhz * 100000.0));
    return true;
}

void RadioParms::accept() {
    if (locating_) return;
    if (!OkChecks()) return;
    for (int i = 0; i < ProfileCount; ++i) {
        RadioProfile& live = app_.settings.RadioProfiles[size_t(i)];
        live = work_[size_t(i)];
        if (!app_.link.CapsFor(live.Protocol).UsesPort) live.Port = 0;
    }
    changed_ = false;
    SaveSettings(app_.settings, app_.host);
    QDialog::accept();
}

bool RadioParms::ConfirmDiscard(const char* title, const char* question) {
    // Yes throws the edits away: Enter keeps them.
    return app_.host.MessageBox(title, question, MsgIcon::Question, Buttons::YesNo, Answer::No) ==
           Answer::Yes;
}

void RadioParms::reject() {
    if (locating_) {
        app_.link.LocatingRadio = false; // the search gives up at its next step
        return;
    }
    if (changed_ && !ConfirmDiscard("Exit", "Exit and Loose changes?")) return;
    changed_ = false;
    QDialog::reject();
}

void RadioParms::closeEvent(QCloseEvent* event) {
    if (locating_) {
        app_.link.LocatingRadio = false;
        event->ignore();
        return;
    }
    if (changed_ && !ConfirmDiscard("Exit", "Exit and Loose changes?")) {
        event->ignore();
        return;
    }
    changed_ = false;
    QDialog::closeEvent(event);
}

void RadioParms::Undo() {
    if (locating_) return;
    if (!ConfirmDiscard("Undo", "Loose changes?")) return;
    for (int i = 0; i < ProfileCount; ++i) {
        work_[size_t(i)] = app_.settings.RadioProfiles[size_t(i)];
        radSel_->setItemText(i, QString::fromStdString(RightTrim(work_[size_t(i)].Name)));
    }
    changed_ = false;
    Display();
}

void RadioParms::Help() {
    const QString page = HelpPagePath();
    if (!page.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

// ---- the radio search -------------------------------------------------------------

void RadioParms::Locate_Radio() {
    if (locating_) return;
    locating_ = true;
    body_->setEnabled(false);
    const LocateResult result = LocateRadio(app_, Shown(), [this] { Display(); });
    body_->setEnabled(true);
    locating_ = false;
    if (result == LocateResult::Found) MarkChanged();
    Display();
}

} // namespace rigvane
