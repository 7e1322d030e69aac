#include "ui/StatusWindow.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace rigvane {

StatusWindow::StatusWindow(Progress& progress, QWidget* parent)
    : QWidget(parent, Qt::Tool), progress_(progress) {
    setObjectName("Status");
    setWindowTitle("Status");
    action_ = new QLabel("Sorting", this);
    action_->setObjectName("ActionLbl");
    percent_ = new QLabel(this);
    percent_->setObjectName("percent");
    percent_->setMinimumWidth(60);
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setObjectName("Cancel");
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(action_, 1);
    row->addWidget(percent_);
    layout->addLayout(row);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    stats_ = new QLabel(this);
    stats_->setObjectName("StatsLbl");
    layout->addWidget(stats_);
    setMinimumWidth(260);

    connect(cancel_, &QPushButton::clicked, this, [this] { progress_.Cancel = true; });

    progress_.OnShow = [this](const std::string& action) {
        action_->setText(QString::fromStdString(action));
        percent_->clear();
        show();
        raise();
    };
    progress_.OnUpdate = [this](int, const std::string& text) {
        percent_->setText(QString::fromStdString(text));
    };
    progress_.OnHide = [this] { hide(); };
}

void StatusWindow::ShowStatistics(const QString& line) {
    QString text = line;
    text.replace("; ", "\n").replace(", ", "\n");
    stats_->setText(text);
}

StatusWindow::~StatusWindow() {
    progress_.OnShow = nullptr;
    progress_.OnUpdate = nullptr;
    progress_.OnHide = nullptr;
}

} // namespace rigvane
