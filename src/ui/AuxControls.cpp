#include "ui/AuxControls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

namespace rigvane {

void DropDownCombo::showPopup() {
    if (OnDropDown) OnDropDown();
    QComboBox::showPopup();
}

void DropDownCombo::hidePopup() {
    QComboBox::hidePopup();
    if (OnCloseUp) OnCloseUp();
}

AuxWidgets BuildAuxFrame(QWidget* parent, const QString& frameName, const QString& checkName,
                         const QString& listName, const QString& labelName) {
    AuxWidgets w;
    w.Frame = new QGroupBox("Aux Controls", parent);
    w.Frame->setObjectName(frameName);
    new QGridLayout(w.Frame); // filled by ApplyAuxLayout
    for (int i = 0; i < AuxListCount; ++i) {
        w.Labels[size_t(i)] = new QLabel(w.Frame);
        w.Labels[size_t(i)]->setObjectName(QString("%1_%2").arg(labelName).arg(i));
        w.Lists[size_t(i)] = new DropDownCombo(w.Frame);
        w.Lists[size_t(i)]->setObjectName(QString("%1_%2").arg(listName).arg(i));
        w.Lists[size_t(i)]->setMinimumWidth(90);
    }
    for (int i = 0; i < AuxCheckCount; ++i) {
        w.Checks[size_t(i)] = new QCheckBox(w.Frame);
        w.Checks[size_t(i)]->setObjectName(QString("%1_%2").arg(checkName).arg(i));
    }
    ApplyAuxLayout(w, MakeAuxLayout(AuxSpec(), true));
    return w;
}

AuxLayout AuxLayoutFor(const SerialLink& link, const RadioProfile& radio, bool showAux) {
    return MakeAuxLayout(AuxOf(link, radio), showAux);
}

void ApplyAuxLayout(const AuxWidgets& w, const AuxLayout& layout) {
    w.Frame->setVisible(layout.Frame);
    for (int i = 0; i < AuxListCount; ++i) {
        DropDownCombo* list = w.Lists[size_t(i)];
        QStringList items;
        for (const std::string& s : layout.ListItems[size_t(i)])
            items << QString::fromStdString(s);
        QStringList current;
        for (int k = 0; k < list->count(); ++k)
            current << list->itemText(k);
        if (current != items) {
            list->clear();
            list->addItems(items);
        }
        list->setVisible(layout.ListShown[size_t(i)]);
        w.Labels[size_t(i)]->setText(QString::fromStdString(layout.ListCaptions[size_t(i)]));
        w.Labels[size_t(i)]->setVisible(layout.ListShown[size_t(i)]);
    }
    for (int i = 0; i < AuxCheckCount; ++i) {
        w.Checks[size_t(i)]->setText(QString::fromStdString(layout.CheckCaptions[size_t(i)]));
        w.Checks[size_t(i)]->setVisible(layout.CheckShown[size_t(i)]);
    }

    // The shown lists (label above list, four to a row), then the shown
    // check boxes (three to a row).
    auto* grid = static_cast<QGridLayout*>(w.Frame->layout());
    for (int i = 0; i < AuxListCount; ++i) {
        grid->removeWidget(w.Labels[size_t(i)]);
        grid->removeWidget(w.Lists[size_t(i)]);
    }
    for (QCheckBox* c : w.Checks)
        grid->removeWidget(c);
    int n = 0;
    for (int i = 0; i < AuxListCount; ++i) {
        if (!layout.ListShown[size_t(i)]) continue;
        grid->addWidget(w.Labels[size_t(i)], (n / 4) * 2, n % 4);
        grid->addWidget(w.Lists[size_t(i)], (n / 4) * 2 + 1, n % 4);
        ++n;
    }
    const int firstRow = ((n + 3) / 4) * 2;
    n = 0;
    for (int i = 0; i < AuxCheckCount; ++i) {
        if (!layout.CheckShown[size_t(i)]) continue;
        grid->addWidget(w.Checks[size_t(i)], firstRow + n / 3, n % 3);
        ++n;
    }
}

void SetListIndex(QComboBox* list, int index) {
    if (index >= list->count()) index = -1;
    if (list->currentIndex() != index) list->setCurrentIndex(index);
}

void ShowAuxFields(const AuxWidgets& w, const Channel& c) {
    for (int i = 0; i < AuxCheckCount; ++i)
        w.Checks[size_t(i)]->setChecked(c.*AuxFlags[size_t(i)]);
    for (int i = 0; i < AuxListCount; ++i)
        SetListIndex(w.Lists[size_t(i)], c.*AuxCodes[size_t(i)]);
}

} // namespace rigvane
