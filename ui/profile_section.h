// CProfileMainEmbDialog, the "Noise Profile" section of the left pane: the "Frequency" list,
// the profile graph (or a text while there is none) and "Turn off self-learning for this image".
#pragma once

#include <QWidget>

#include "engine/noise_profile.h"
#include "settings/self_learning_box.h"

class QCheckBox;
class QLabel;
class QListWidget;

namespace stillpix {

class CLevelBox;

// Puts the curves of `band` of `profile` into `graph`: Y alone (black) for a grey image, else
// Y, Cr and Cb (black, dark red, dark blue), one point a luminosity bin.
void ShowProfileBand(CLevelBox& graph, const NoiseProfile& profile, int band, bool grey);

class CProfileMainEmbDialog : public QWidget {
    Q_OBJECT
public:
    explicit CProfileMainEmbDialog(QWidget* parent = nullptr);

    CLevelBox* Graph() const { return graph_; }
    QListWidget* FrequencyList() const { return frequencies_; }
    QCheckBox* SelfLearningCheck() const { return selfLearning_; }
    QLabel* StateText() const { return text_; }

    // The band chosen in the "Frequency" list; "High" (0) when nothing is chosen.
    int Band() const;
    // Shows the chosen band of `profile` in the graph.
    void ShowProfile(const NoiseProfile& profile, bool grey);
    // Shows `text` instead of the graph.
    void ShowText(const QString& text);
    void ShowSelfLearning(const SelfLearningBoxState& state);

Q_SIGNALS:
    void BandChanged();
    // The user clicked the self-learning box; `checked` is its new state.
    void SelfLearningClicked(bool checked);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* frequencyLabel_;
    QListWidget* frequencies_;
    CLevelBox* graph_;
    QLabel* text_;
    QCheckBox* selfLearning_;
};

}  // namespace stillpix
