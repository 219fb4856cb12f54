#pragma once
// The fixed texts, sizes and colours of the main window and the about box,
// for the view that shows the window model. In captions a single '&' marks
// the shortcut letter and "&&" shows one ampersand.

#include <cstdint>

namespace mv::ui {

// The application's title: the task bar text and the caption of the general
// error report.
inline constexpr const char* ApplicationTitle = "Tarvold Metrovane";
// The window caption starts with this, followed by " - [" + project name + "]".
inline constexpr const char* CaptionTitle = "Tarvold Metrovane 1.0";
inline constexpr const char* NoName = "noname.mvn";
inline constexpr const char* WebAddress = "https://www.tarvold.de";
inline constexpr const char* FavouritesFileName = "folders.dat";

inline constexpr int WindowWidth = 638;
inline constexpr int WindowHeight = 512;

// A colour as red, green, blue.
struct TRgb {
    std::uint8_t R = 0, G = 0, B = 0;
    constexpr bool operator==(const TRgb&) const = default;
};
inline constexpr TRgb HeaderColor{240, 202, 166};     // the header bands and the about panel
inline constexpr TRgb DecorationColor{192, 220, 192}; // the panel on the second page
inline constexpr TRgb ProgressColor{0, 0, 128};       // navy

// Project button row: caption and tool tip.
inline constexpr const char* NewBtnCaption = "&Neu";
inline constexpr const char* NewBtnHint = "Neues Projekt erstellen";
inline constexpr const char* OpenBtnCaption = "&Öffnen";
inline constexpr const char* OpenBtnHint = "Projekt Datei öffnen...";
inline constexpr const char* SaveBtnCaption = "&Speichern";
inline constexpr const char* SaveBtnHint = "Projekt Datei speichern";
inline constexpr const char* SaveAsBtnCaption = "Speichern &unter...";
inline constexpr const char* SaveAsBtnHint = "Projekt Datei speichern unter...";

// First page.
inline constexpr const char* SelectPageCaption = "EMF && WMF Dateien auswählen";
inline constexpr const char* SelectPageHeader =
    "EMF && WMF auswählen - Wählen Sie die Datei aus und klicken Sie auf \"Hinzufügen\"";
inline constexpr const char* FavouritesLabel = "Lieblings Ordner:";
inline constexpr const char* AddBtnCaption = "&Hinzufügen";
inline constexpr const char* DelBtnCaption = "&Von Liste entfernen";
inline constexpr const char* ConvertBtnCaption = "&Dateien konvertieren";

// Second page.
inline constexpr const char* ConvertPageCaption = "Dateien umwandeln";
inline constexpr const char* ConvertPageHeader =
    "Dateien umwandeln - wählen Sie den Ausgabeordner und klicken Sie auf \"Dateien konvertieren!\"";
inline constexpr const char* DecorationText = "Dateien umwandeln...";
inline constexpr const char* GoBtnCaption = "&Dateien konvertieren!";
inline constexpr const char* OutputFolderLabel = "Ausgabe Ordner:";
inline constexpr const char* AutoCADVerCaption = "AutoCAD DXF Version R14";
inline constexpr const char* ParseWhiteCaption = "Weiß umsetzen";
inline constexpr const char* Use01MMCaption = "Metafile speichert Größe in Millimetern";
inline constexpr const char* AlternativeBlackCaption = "Alternativer Palettenindex für Schwarz (in #250)";
inline constexpr const char* ImagesCaption = "Bilder übernehmen";
inline constexpr const char* ClassicCaption = "Klassische Umsetzung (nur Grundbefehle, logische Einheiten)";
inline constexpr const char* PenWidthRatioLabel = "Stiftgröße:";
inline constexpr const char* MessagesLabel = "Meldungen:";

// Bottom row and status bar.
inline constexpr const char* WwwBtnHint = "Go to the Tarvold website...";
inline constexpr const char* AboutBtnCaption = "Über";
inline constexpr const char* QuitBtnCaption = "Beenden";
inline constexpr int StatusTextPanelWidth = 250;
inline constexpr int StatusProgressPanelWidth = 50;

// Project commands.
inline constexpr const char* DiscardQuestion =
    "Alle informationen, die nicht bereits gespeichert sind gehen verloren!";
inline constexpr const char* NewCaption = "Datei/Neu";
inline constexpr const char* OpenCaption = "Datei/Öffnen";
inline constexpr const char* ProjectFilter = "MVN Projekt Dateien|*.MVN";
inline constexpr const char* ProjectDefaultExt = "mvn";
inline constexpr const char* OutputFolderDialogTitle = "Ausgabe Ordner";
// Asked before a changed batch would be lost (quitting, New, Open).
inline constexpr const char* SaveChangesQuestion = "Änderungen am Projekt speichern?";

// A batch run.
inline constexpr const char* CancelBtnCaption = "Abbrechen";
inline constexpr const char* RunCancelled = "Konvertierung abgebrochen.";
inline constexpr const char* RunCancelling = "Wird abgebrochen...";

// About box.
inline constexpr const char* AboutCaption = "Info";
inline constexpr int AboutWidth = 298;
inline constexpr int AboutHeight = 213;
inline constexpr const char* AboutProductName = "Tarvold Metrovane";
inline constexpr const char* AboutVersion = "Version 1.0.0.0";
inline constexpr const char* AboutMaker = "Tarvold Software";
inline constexpr const char* AboutContact = "https://www.tarvold.de";
inline constexpr const char* AboutRelease = "Release (mm/dd/yyyy) : 03/28/2006";
inline constexpr const char* AboutOkCaption = "OK";

} // namespace mv::ui
