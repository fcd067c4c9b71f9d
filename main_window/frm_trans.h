#pragma once

#include "frmab_out.h"
#include "lookup_interfaces.h"
#include "translator.h"

#include <QMargins>
#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QPushButton;

namespace lexorra {

class FrameShape;

class LabelCaption;
class ListBox;
class ListBoxEntries;
class PictureButton;

/// The main window: the picture button that starts a lookup, the headword list
/// and the translation label that show its outcome, the About label and the
/// quit button. It owns the lookup and its state for the whole run.
///
/// Controls carry their names as object names: "List1", "List2", "Label1",
/// "Label2", "Image1", "Command1", and "Shape1_0" and "Shape1_1" for the two
/// elements of the frame array Shape1.
class FrmTrans final : public QWidget
{
    Q_OBJECT

public:
    /// Builds the window with its controls as at start: lists empty, label
    /// blank, frames hidden. The lookup asks and reports through @p dialogs
    /// when given (it must outlive the window), else through real modal boxes.
    explicit FrmTrans(dictionary::UserDialogs *dialogs = nullptr, QWidget *parent = nullptr);
    ~FrmTrans() override;
    Q_DISABLE_COPY_MOVE(FrmTrans)

    /// Shows the selected headword's translation (see dictionary::Translator).
    void Recognize();
    /// Asks for a word and looks it up (see dictionary::Translator).
    void Begin_Translation();

    /// The lookup and its state: search word, letter file, file number.
    [[nodiscard]] const dictionary::Translator &translator() const { return *m_translator; }

    /// The About window while it exists, else null.
    [[nodiscard]] FrmabOut *about() const { return m_about; }

    /// True once the program has begun to end: from then on no window of the
    /// program handles closing or user input any more.
    [[nodiscard]] bool isEnding() const { return m_ending; }

public Q_SLOTS:
    void Image1_Click();
    void Image1_MouseDown();
    void Image1_MouseUp();
    void Label1_MouseMove();
    void List1_Click();
    void Command1_Click();

Q_SIGNALS:
    /// List1_Click ran for a new selection of headword @p index, by user or program.
    void headwordClicked(int index);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Unload();
    void createControls();
    void endProgram();
    void showListing();

    // The controls, declared in the order in which they are created.
    ListBox *List2 = nullptr;
    ListBox *List1 = nullptr;
    QPushButton *Command1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;
    PictureButton *Image1 = nullptr;
    std::array<FrameShape *, 2> Shape1{};

    std::unique_ptr<ListBoxEntries> m_list1Entries;
    std::unique_ptr<ListBoxEntries> m_list2Entries;
    std::unique_ptr<LabelCaption> m_label2Caption;
    std::unique_ptr<dictionary::UserDialogs> m_ownDialogs;
    std::unique_ptr<dictionary::Translator> m_translator;
    QPointer<FrmabOut> m_about;

    bool m_ending = false;
};

} // namespace lexorra
