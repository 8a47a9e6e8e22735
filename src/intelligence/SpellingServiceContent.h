#pragma once
// The content of the spelling check's review window: the review panel, wired to the settings (it follows
// the local-intelligence switch as it changes) and to the language model (the check-spelling action).

#include "intelligence/SpellingPreviewView.h"

#include <QPointer>
#include <QWidget>

class ClipboardAIController;
class SettingsStore;

class SpellingServiceContent : public QWidget {
    Q_OBJECT
public:
    SpellingServiceContent(QString original, bool canReplace, SpellingPreviewView::OnReplace onReplace,
                           std::function<void()> onClose, SettingsStore &settings, ClipboardAIController &ai,
                           const Platform &platform, QWidget *parent = nullptr);

    SpellingPreviewView *panel() const { return m_panel; }
    Palette palette() const;

private:
    QPointer<SettingsStore> m_settings;
    Platform m_platform;
    SpellingPreviewView *m_panel = nullptr;
};
