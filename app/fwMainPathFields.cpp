// SPDX-License-Identifier: MIT
// The path fields' events: the messages an emptied field shows, and paths brought in by
// the browse button, by pasting and by dropping, each taken only when it names what the
// field needs.
#include "AdvancedDialog.h"
#include "Clipboard.h"
#include "LocalText.h"
#include "PathFieldRules.h"
#include "fwMain.h"

#include <Ostrel/BrowseBox.h>
#include <Ostrel/KeyCodes.h>
#include <QDir>
#include <QMimeData>
#include <QPushButton>

namespace Kestrin
{
namespace
{
// The fields' messages and the dialogs' filter, in the user's language.
QString Required()
{
    return fwMain::tr("<Required.>");
}
QString SameAsSource()
{
    return fwMain::tr("<Same as Source.>");
}
QString AllFilesFilter()
{
    return fwMain::tr("All Files (*.*)|*.*|");
}
// Hide read-only, file must exist, share aware.
constexpr int SourceFileFlags = 20484;
// Hide read-only, share aware: a file that does not exist yet may be named.
constexpr int TargetFileFlags = 16388;

QString StartFolderFor(const QString& path)
{
    return PathText(DialogStartFolder(PathBytes(path), std::string()));
}

// Ctrl+V or Shift+Insert: the first path the clipboard holds (a copied file, else its
// text) goes into the field when it fits the field.
void PasteInto(fwMain& window, Ostrel::BrowseBox* field, PathFieldKind kind, short keyCode,
               short shift)
{
    if (!IsPasteKey(keyCode, shift))
        return;
    // Whatever follows, the paste is the window's: the field's own paste would bring in
    // the path refused here, or insert the clipboard into the path accepted here.
    field->TakePaste();
    QStringList entries;
    if (ClipboardFileList(entries) == 0)
    {
        const QString text = Clipboard::Text();
        if (text.isEmpty())
            return;
        entries << text;
    }
    const QString& entry = entries.constFirst();
    if (IsUndecipherableName(entry))
    {
        ReportUndecipherableName(&window, entry);
        return;
    }
    const QString accepted = AcceptedPath(WithoutEnclosingQuotes(entry), kind);
    if (accepted.isEmpty())
        return;
    field->setErrText(QString());
    field->setText(accepted);
    window.ReadinessUpdate();
}

// A drop on a split field: the field has already put the first dropped file into the text
// it shows; one file is then taken when it fits the field.
//
// The readiness update follows every drop that brought a file, accepted or not, and
// however many files: the field shows the dropped path from then on, and Start must
// match what the field shows. Leaving it out (as when the dropped file was already the
// text) would let Start run the fragments prepared from the previous source under the
// new source's name and folder.
//
// A drop onto a shown message puts the path into the message instead of the text. An
// accepted path then removes the message so that the field shows, and edits, its own
// text; a refused one gets the field's message back, as the field's text is still empty.
void DropOnto(fwMain& window, Ostrel::BrowseBox* field, const QMimeData* data, PathFieldKind kind,
              const QString& message)
{
    const QStringList files = Ostrel::BrowseBox::FileList(data);
    if (files.isEmpty())
        return; // text or anything else: the field kept its text
    const bool onMessage = !field->ErrText().isEmpty();
    bool accepted = false;
    if (files.size() == 1)
    {
        const QString& path = files.constFirst();
        // The acceptance rule below then refuses the name.
        if (IsUndecipherableName(path))
            ReportUndecipherableName(&window, path);
        const QString taken = AcceptedPath(path, kind);
        if (!taken.isEmpty())
        {
            accepted = true;
            if (field->Text() != taken)
                field->setText(taken);
        }
    }
    if (onMessage)
        field->setErrText(accepted ? QString() : message);
    window.ReadinessUpdate();
}
} // namespace

void fwMain::ucSource_ButtonClick(int Index, short /*Button*/)
{
    Ostrel::BrowseBox* field = ucSource[Index];
    const QString text = field->Text();
    ucCorvane->filename = text;
    ucCorvane->fileflags = SourceFileFlags;
    ucCorvane->filter = AllFilesFilter();
    ucCorvane->initdir = text.isEmpty() ? PathText(ProgramFolderValue) : StartFolderFor(text);
    if (ucCorvane->ShowFileDialog() != 1)
        return;
    // The dialog only confirms an existing file.
    field->setText(ucCorvane->filename);
    ReadinessUpdate();
    field->setErrText(QString());
}

void fwMain::ucSource_KeyDown(int Index, short KeyCode, short Shift)
{
    SourceKeyWentDown[Index] = true;
    PasteInto(*this, ucSource[Index], PathFieldKind::File, KeyCode, Shift);
}

void fwMain::ucSource_KeyUp(int Index, short /*KeyCode*/, short /*Shift*/)
{
    // Alt+J pressed in the split tab's delimiter opens the join tab and moves the focus
    // here before J and Alt come up: nobody emptied this field.
    if (!SourceKeyWentDown[Index])
        return;
    // Only an empty field gets the message; typing never takes one away.
    if (ucSource[Index]->Text().isEmpty())
        ucSource[Index]->setErrText(Required());
    ReadinessUpdate();
}

void fwMain::ucSource_OLEDragDrop(int Index, const QMimeData* Data, int /*Effect*/,
                                  short /*Button*/, short /*Shift*/, float /*X*/, float /*Y*/)
{
    // The join tab's fields take no drops.
    if (Index != 0)
        return;
    DropOnto(*this, ucSource[Index], Data, PathFieldKind::File, Required());
}

void fwMain::ucTarget_ButtonClick(int Index, short /*Button*/)
{
    Ostrel::BrowseBox* field = ucTarget[Index];
    const QString own = field->Text();
    const QString source = ucSource[Index]->Text();
    if (!own.isEmpty())
        ucCorvane->initdir = StartFolderFor(own);
    else if (!source.isEmpty())
        ucCorvane->initdir = StartFolderFor(source);
    else
        ucCorvane->initdir = PathText(ProgramFolderValue);

    if (Index != 0)
    {
        // The file name and filter stay those of the dialog's last use.
        ucCorvane->fileflags = TargetFileFlags;
        if (ucCorvane->ShowFileDialog() != 1)
            return;
        field->setText(ucCorvane->filename);
    }
    else
    {
        if (ucCorvane->ShowFolderDialog() != 1)
            return;
        field->setText(WithFinalSeparator(ucCorvane->initdir));
    }
    ReadinessUpdate();
    field->setErrText(QString());
}

void fwMain::ucTarget_KeyDown(int Index, short KeyCode, short Shift)
{
    Ostrel::BrowseBox* field = ucTarget[Index];
    if (KeyCode == Ostrel::VirtualKey::Delete)
    {
        // Delete empties the whole field, whatever the modifiers.
        field->setText(QString());
        if (Index == 0)
        {
            // An empty target folder is valid: the source's folder takes its place.
            field->setErrText(SameAsSource());
        }
        else
        {
            field->setErrText(Required());
            bbRun->setEnabled(false);
        }
        return;
    }
    PasteInto(*this, field, Index == 0 ? PathFieldKind::Folder : PathFieldKind::File, KeyCode,
              Shift);
}

void fwMain::ucTarget_OLEDragDrop(int Index, const QMimeData* Data, int /*Effect*/,
                                  short /*Button*/, short /*Shift*/, float /*X*/, float /*Y*/)
{
    if (Index != 0)
        return;
    DropOnto(*this, ucTarget[Index], Data, PathFieldKind::Folder, SameAsSource());
}
} // namespace Kestrin
