#include <map>

#include "platform/sim/machine.h"

namespace ocx::sim {

std::string systemErrorText(std::uint32_t code) {
  // The texts German Windows' FormatMessage gives, without its line break.
  static const std::map<std::uint32_t, std::string> kTexts = {
      {0, "Der Vorgang wurde erfolgreich beendet."},
      {2, "Das System kann die angegebene Datei nicht finden."},
      {3, "Das System kann den angegebenen Pfad nicht finden."},
      {5, "Zugriff verweigert"},
      {6, "Das Handle ist ungültig."},
      {8, "Nicht genügend Speicher verfügbar, um diesen Befehl auszuführen."},
      {13, "Die Daten sind unzulässig."},
      {19, "Das Medium ist schreibgeschützt."},
      {21, "Das Gerät ist nicht bereit."},
      {32, "Der Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess verwendet wird."},
      {33, "Der Prozess kann nicht auf die Datei zugreifen, da ein anderer Prozess einen Teil der Datei gesperrt hat."},
      {80, "Die Datei ist vorhanden."},
      {87, "Falscher Parameter."},
      {112, "Auf dem Datenträger ist nicht genügend Speicherplatz vorhanden."},
      {123, "Die Syntax für den Dateinamen, Verzeichnisnamen oder die Datenträgerbezeichnung ist falsch."},
      {145, "Das Verzeichnis ist nicht leer."},
      {183, "Eine Datei kann nicht erstellt werden, wenn sie bereits vorhanden ist."},
      {206, "Der Dateiname oder die Erweiterung ist zu lang."},
      {234, "Weitere Daten sind verfügbar."},
      {267, "Der Verzeichnisname ist ungültig."},
      {1813, "Der angegebene Ressourcentyp wurde in der Image-Datei nicht gefunden."},
      {1814, "Der angegebene Ressourcenname wurde in der Image-Datei nicht gefunden."},
  };
  const auto it = kTexts.find(code);
  if (it != kTexts.end()) {
    return it->second;
  }
  return "Unbekannter Fehler (" + std::to_string(code) + ").";
}

}  // namespace ocx::sim
