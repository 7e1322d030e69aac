#include "ui/MoveDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "engine/App.h"

namespace rigvane {

MoveDialog::MoveDialog(App& app, MoveKind kind, int first, int last, int dest, Runner run,
                       QWidget* parent)
    : QDialog(parent), app_(app), run_(std::move(run)) {
    setObjectName("MoveCpy");
    setWindowTitle(Caption(kind));
    auto* root = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const char* names[3] = {"SSTARTTXT", "SENDTXT", "DSTARTTXT"};
    const char* labels[3] = {"Source Starting Channel", "Source Ending Channel",
                             "Destination Starting Channel"};
    const int values[3] = {first, last, dest};
    for (int i = 0; i < 3; ++i) {
        auto* e = new QLineEdit(QString::number(values[i]), this);
        e->setObjectName(names[i]);
        // Digits only; the numbers are checked against the table when run.
        e->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d{0,4}"), e));
        e->setFixedWidth(e->fontMetrics().horizontalAdvance("00000") + 16);
        form->addRow(labels[i], e);
        fields_[i] = e;
    }
    root->addLayout(form);
    auto* row = new QHBoxLayout;
    const char* captions[3] = {"&Copy", "&Move", "&Swap"};
    const char* buttonNames[3] = {"COPYBUT", "MOVBUT", "SWAPBUT"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(captions[i], this);
        b->setObjectName(buttonNames[i]);
        b->setAutoDefault(false);
        const MoveOp op = MoveOp(i + 1);
        connect(b, &QPushButton::clicked, this, [this, op] { Run(op); });
        row->addWidget(b);
        buttons_[i] = b;
    }
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setObjectName("CANCELBUT");
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    row->addWidget(cancel_);
    root->addLayout(row);
}

QString MoveDialog::Caption(MoveKind kind) {
    switch (kind) {
    case MoveKind::ScanBanks:
        return "Scan Banks Edit";
    case MoveKind::SearchBanks:
        return "Search Banks Edit";
    case MoveKind::Channels:
        break;
    }
    return "Frequency Database Edit";
}

QPushButton* MoveDialog::Button(MoveOp op) const {
    return buttons_[int(op) - 1];
}

void MoveDialog::Run(MoveOp op) {
    int v[3];
    for (int i = 0; i < 3; ++i)
        v[i] = fields_[i]->text().toInt(); // empty reads as 0
    const MoveResult r = run_(op, v[0], v[1], v[2]);
    fields_[0]->setText(QString::number(r.First));
    fields_[1]->setText(QString::number(r.Last));
    fields_[2]->setText(QString::number(r.Dest));
    if (!r.Done) app_.host.MessageBox("Error!", r.Error, MsgIcon::Exclamation);
}

} // namespace rigvane
