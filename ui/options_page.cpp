#include "ui/options_page.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

namespace stillpix {
namespace {

constexpr int kTypedNumberLimit = 999999;

QString Text(const std::string& text) { return QString::fromStdString(text); }

void FillList(QComboBox* list, std::span<const char* const> texts) {
    for (const char* text : texts) list->addItem(QString::fromUtf8(text));
}

}  // namespace

COptionsNumberBox::COptionsNumberBox(int low, int high, QWidget* parent)
    : QSpinBox(parent), low_(low), high_(high) {
    setRange(-kTypedNumberLimit, kTypedNumberLimit);
}

void COptionsNumberBox::stepBy(int steps) { setValue(std::clamp(value() + steps, low_, high_)); }

QAbstractSpinBox::StepEnabled COptionsNumberBox::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value() < high_) enabled |= StepUpEnabled;
    if (value() > low_) enabled |= StepDownEnabled;
    return enabled;
}

COptionsPage::COptionsPage(OptionsPage page, const OptionsContext* context, QWidget* parent)
    : QWidget(parent), page_(page), context_(context) {}

QGridLayout* COptionsPage::AddGroup(QBoxLayout* layout, const QString& title) {
    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    if (title.isEmpty()) {
        layout->addLayout(grid);
    } else {
        auto* group = new QGroupBox(title, this);
        group->setLayout(grid);
        layout->addWidget(group);
    }
    return grid;
}

QWidget* COptionsPage::AddControl(QGridLayout* grid, const char* name) {
    const OptionField& field = *FindOptionField(name);
    const int row = grid->rowCount();
    const QString text = QString::fromUtf8(name);
    QWidget* control = nullptr;
    QWidget* cell = nullptr;  // what the grid holds beside the label
    switch (field.kind) {
        case OptionKind::kCheck:
        case OptionKind::kInvertedCheck:
            control = new QCheckBox(text, this);
            grid->addWidget(control, row, 0, 1, 3);
            break;
        case OptionKind::kChoice:
        case OptionKind::kZoom:
        case OptionKind::kPreset: {
            auto* list = new QComboBox(this);
            list->setEditable(field.kind == OptionKind::kZoom);
            FillList(list, field.choices);
            control = list;
            break;
        }
        case OptionKind::kSlider: {
            auto* slider = new QSlider(Qt::Horizontal, this);
            slider->setRange(field.low, field.high);
            qualityLabel_ = new QLabel(this);
            qualityLabel_->setMinimumWidth(qualityLabel_->fontMetrics().horizontalAdvance("100%"));
            const auto refresh = [this, slider] {
                qualityLabel_->setText(Text(PercentText(slider->value())));
            };
            // The label follows a release of the mouse, not the drag itself.
            connect(slider, &QSlider::sliderReleased, this, refresh);
            connect(slider, &QSlider::valueChanged, this, [slider, refresh] {
                if (!slider->isSliderDown()) refresh();
            });
            cell = new QWidget(this);
            auto* row = new QHBoxLayout(cell);
            row->setContentsMargins(0, 0, 0, 0);
            row->addWidget(slider);
            row->addWidget(qualityLabel_);
            control = slider;
            break;
        }
        case OptionKind::kNumber:
            control = new COptionsNumberBox(field.low, field.high, this);
            break;
        case OptionKind::kSuffix:
        case OptionKind::kFolder: {
            auto* edit = new QLineEdit(this);
            if (field.kind == OptionKind::kSuffix) edit->setMaxLength(int(kMaxSuffixBytes));
            control = edit;
            break;
        }
    }
    widgets_[name].push_back(control);
    if (field.kind != OptionKind::kCheck && field.kind != OptionKind::kInvertedCheck) {
        auto* label = new QLabel(text, this);
        label->setBuddy(control);
        grid->addWidget(label, row, 0);
        const bool compact = field.kind == OptionKind::kChoice || field.kind == OptionKind::kZoom ||
                             field.kind == OptionKind::kPreset || field.kind == OptionKind::kNumber;
        grid->addWidget(cell ? cell : control, row, 1, compact ? Qt::AlignLeft : Qt::Alignment());
        widgets_[name].push_back(label);
    }
    bindings_.emplace_back(&field, control);
    return control;
}

QLabel* COptionsPage::AddNote(QGridLayout* grid, const char* text) {
    auto* note = new QLabel(QString::fromUtf8(text), this);
    note->setWordWrap(true);
    grid->addWidget(note, grid->rowCount(), 0, 1, 3);
    widgets_[text].push_back(note);
    return note;
}

void COptionsPage::ApplyEnablingRules() {
    for (const EnablingRule& rule : EnablingRules()) {
        QWidget* by = Control(rule.by);
        if (!by || !Control(rule.control)) continue;
        const auto apply = [this, rule] {
            const bool enabled = CurrentValue(rule.by) == rule.value;
            for (QWidget* widget : widgets_[rule.control]) widget->setEnabled(enabled);
        };
        if (auto* box = qobject_cast<QCheckBox*>(by))
            connect(box, &QCheckBox::toggled, this, apply);
        if (auto* list = qobject_cast<QComboBox*>(by))
            connect(list, &QComboBox::currentIndexChanged, this, apply);
        apply();
    }
}

QWidget* COptionsPage::Control(const std::string& name) const {
    const auto found = widgets_.find(name);
    return found == widgets_.end() ? nullptr : found->second.front();
}

MessageAnswer OptionsContext::Ask(QWidget* parent, const UserMessage& message) const {
    return ask ? ask(message) : ShowMessageBox(parent, message);
}

int32_t COptionsPage::CurrentValue(const std::string& name) const {
    QWidget* control = Control(name);
    if (auto* box = qobject_cast<QCheckBox*>(control)) return box->isChecked();
    if (auto* list = qobject_cast<QComboBox*>(control)) return list->currentIndex();
    return 0;
}

void COptionsPage::Load() {
    if (PrepareOptionsPage(page_, *context_->options))
        SaveSettings(*context_->store, *context_->options);
    for (const auto& [field, control] : bindings_) LoadControl(*field, control);
}

void COptionsPage::LoadControl(const OptionField& field, QWidget* control) {
    const int32_t value = ControlValue(field, *context_->options, *context_->presets);
    switch (field.kind) {
        case OptionKind::kCheck:
        case OptionKind::kInvertedCheck:
            static_cast<QCheckBox*>(control)->setChecked(value != 0);
            break;
        case OptionKind::kChoice: static_cast<QComboBox*>(control)->setCurrentIndex(value); break;
        case OptionKind::kZoom:
            static_cast<QComboBox*>(control)->setEditText(Text(ZoomText(value)));
            break;
        case OptionKind::kPreset: {
            auto* list = static_cast<QComboBox*>(control);
            list->clear();
            for (int slot = 0; slot < context_->presets->count; ++slot)
                list->addItem(Text(context_->presets->slots[slot].name));
            list->setCurrentIndex(value);
            break;
        }
        case OptionKind::kSlider:
            static_cast<QSlider*>(control)->setValue(value);
            qualityLabel_->setText(Text(PercentText(value)));
            break;
        case OptionKind::kNumber: static_cast<QSpinBox*>(control)->setValue(value); break;
        case OptionKind::kSuffix:
        case OptionKind::kFolder:
            static_cast<QLineEdit*>(control)->setText(Text(ControlText(field, *context_->options)));
            break;
    }
}

COptionsNumberBox* COptionsPage::InvalidNumberBox() const {
    for (const auto& [field, control] : bindings_)
        if (auto* box = dynamic_cast<COptionsNumberBox*>(control); box && !box->InRange())
            return box;
    return nullptr;
}

void COptionsPage::Store() {
    for (const auto& [field, control] : bindings_) StoreControl(*field, control);
    AcceptOptionsPage(page_, *context_->options);
    AfterStore();
    SaveSettings(*context_->store, *context_->options);
}

void COptionsPage::StoreControl(const OptionField& field, QWidget* control) {
    AppOptions& options = *context_->options;
    switch (field.kind) {
        case OptionKind::kCheck:
        case OptionKind::kInvertedCheck:
            StoreControlValue(field, static_cast<QCheckBox*>(control)->isChecked(), options);
            break;
        case OptionKind::kChoice:
            StoreControlValue(field, static_cast<QComboBox*>(control)->currentIndex(), options);
            break;
        case OptionKind::kZoom:
            StoreControlValue(
                field, ZoomFromText(static_cast<QComboBox*>(control)->currentText().toStdString()),
                options);
            break;
        case OptionKind::kPreset: {
            auto* list = static_cast<QComboBox*>(control);
            StoreControlValue(
                field,
                DefaultSlotForChoice(*context_->presets, list->currentIndex(),
                                     list->currentText().toStdString(), *field.field(options)),
                options);
            break;
        }
        case OptionKind::kSlider:
            StoreControlValue(field, static_cast<QSlider*>(control)->value(), options);
            break;
        case OptionKind::kNumber:
            StoreControlValue(field, static_cast<QSpinBox*>(control)->value(), options);
            break;
        case OptionKind::kSuffix:
        case OptionKind::kFolder:
            StoreControlText(field, static_cast<QLineEdit*>(control)->text().toStdString(),
                             options);
            break;
    }
}

}  // namespace stillpix
