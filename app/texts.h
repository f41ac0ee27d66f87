// Every text the user sees, in one place. They are the program's own German
// texts and are used exactly as they stand. The OS information object's own
// answers for a product without an edition are part of the Windows name it
// gives; they live beside it, in osinfo/os_info_texts.h.
#pragma once

namespace ocx::texts {

// Window and elements as designed.
inline constexpr char kWindowCaption[] = "Lumarest Professional - Vantrellis - Problemlösung zum Microsoft Update";
inline constexpr char kCmdGo[] = "Bugfix durchführen";
inline constexpr char kCmdStatus[] = "Status in die Zwischenablage kopieren";
inline constexpr char kCmdExit[] = "Beenden";
inline constexpr char kFrameStatus[] = " Status ";
inline constexpr char kFrameSysInfo[] = " Zu diesem System wurden folgende Informationen ermittelt: ";
inline constexpr char kFrameOptions[] = " Optionen für die Problemlösung ";
inline constexpr char kRowWindows[] = "Windows-Version:";
inline constexpr char kRowInstalled[] = "Installiertes Control:";
inline constexpr char kRowAvailable[] = "Verfügbares Control:";
inline constexpr char kRowRegPath20[] = "Reg-Pfad 2.0:";
inline constexpr char kRowRegPath21[] = "Reg-Pfad 2.1:";
inline constexpr char kUnknownValue[] = "?";
inline constexpr char kChkReplaceControl[] = "Aktuelle Datei MSCOMCTL.OCX gegen neuere Version ersetzen";
inline constexpr char kChkReRegisterControl[] =
    "MSCOMCTL.OCX im Systemverzeichnis (ggf. nach Aktualisierung) de-registrieren und neu registrieren";
inline constexpr char kChkKillRegPath[] = "Registry-Pfad 2.0 aus der Registry entfernen";
inline constexpr char kLblInfo[] =
    "Durch eine Reihe von Sicherheits-/Windows-Updates von Microsoft wurde ein Problem verursacht, dass weltweit "
    "Probleme bei bestimmten Anwendungsprogrammen verursacht. Die Lumarest Professional ist ebenfalls davon "
    "betroffen. Solange keine Lösung des Problems durch den Verursacher (Microsoft) angeboten wird, versuchen wir "
    "mit diesem Programm das Problem zu lösen, so dass die Lumarest Professional wieder einwandfrei funktioniert.";
inline constexpr char kLblAdmin[] =
    "Achtung - der Bugfix kann NUR als Administrator durchgeführt werden! Wenn Sie sich nicht sicher sind, beenden "
    "Sie das Programm und starten es erneut mit Administratorenrechten!";

// What the runtime says when a handler lets a failure escape, before and
// after its number; the description follows.
inline constexpr char kRuntimeErrorPrefix[] = "Laufzeitfehler '";
inline constexpr char kRuntimeErrorInfix[] = "':\r\n\r\n";

// Survey values.
inline constexpr char kNotDetermined[] = "Konnte nicht ermittelt werden!";
inline constexpr char kVersionInfix[] = " Version: ";
inline constexpr char kRegPathPresent20[] =
    "Registry-Pfad ist vorhanden: HCR\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0";
inline constexpr char kRegPathPresent21[] =
    "Registry-Pfad ist vorhanden: HCR\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1";
inline constexpr char kRegPathMissing[] = "Registry-Pfad existiert nicht!";

// Repair run.
inline constexpr char kNoOptionText[] = "Es ist keine Option für die Problemlösung ausgewählt!";
inline constexpr char kNoOptionTitle[] = "Kein Bugfix möglich";
inline constexpr char kStatusDeleteKey[] = "TypeLib-Pfad 2.0 wird gelöscht...";
inline constexpr char kStatusUnregister[] = "Aktuelles Control de-registrieren...";
inline constexpr char kStatusRenamePrefix[] = "Aktuelles Control umbenennen in ";
inline constexpr char kStatusEllipsis[] = "...";
inline constexpr char kStatusCopy[] = "Neue Version kopieren...";
inline constexpr char kStatusRegisterNew[] = "Neue Version registrieren...";
inline constexpr char kStatusRegister[] = "Aktuelles Control registrieren...";
inline constexpr char kDoneText[] = "Der Bugfix ist mit den vorgegebenen Einstellungen beendet!";
inline constexpr char kDoneTitle[] = "Problemlösung zum Microsoft Update";
inline constexpr char kFailureText[] = "Es ist ein Fehler aufgetreten!";
inline constexpr char kFailureTitle[] = "Abbruch";
inline constexpr char kFailureLinePrefix[] = "Es ist ein Fehler aufgetreten: ";
inline constexpr char kAbortLine[] = "Abbruch!";
// What the log-off screen shows beside the program while a repair runs.
inline constexpr char kSessionEndBlocked[] =
    "Ocxmedic repariert gerade MSCOMCTL.OCX. Bitte warten Sie, bis die Reparatur beendet ist.";
// The description of a failure for lack of memory, which cannot be asked of
// the system at that moment.
inline constexpr char kNotEnoughMemory[] = "Nicht genügend Speicher";

// Status report.
inline constexpr char kSelected[] = "ausgewählt";
inline constexpr char kNotSelected[] = "nicht ausgewählt";
inline constexpr char kReportCopiedText[] = "Die Statusmeldung wurde in die Zwischenablage kopiert!";
inline constexpr char kReportCopiedTitle[] = "Status kopieren";

// A test build, which carries the stand-in control, started outside Wine.
inline constexpr char kStandinBuildTitle[] = "Ocxmedic - Testversion";
inline constexpr char kStandinBuildText[] =
    "Dieses Programm ist eine Testversion. Es enthält statt der Microsoft-Datei MSCOMCTL.OCX nur einen "
    "Platzhalter für automatische Tests und würde Ihr System beschädigen.\r\n\r\n"
    "Das Programm wird jetzt beendet, ohne etwas zu verändern. Bitte verwenden Sie die freigegebene Version.";

}  // namespace ocx::texts
