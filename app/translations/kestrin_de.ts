<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>BrowseBoxSample</name>
    <message>
        <source>BrowseBox sample</source>
        <translation>BrowseBox-Beispiel</translation>
    </message>
    <message>
        <source>Source:</source>
        <translation>Quelle:</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>/tmp/</source>
        <translation>/tmp/</translation>
    </message>
</context>
<context>
    <name>Kestrin::MessageBox</name>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
</context>
<context>
    <name>Kestrin::PathFieldRules</name>
    <message>
        <source>Undecipherable file/folder name:<byte value="xd"/>
<byte value="xd"/>
%1<byte value="xd"/>
<byte value="xd"/>
Rename it before opening in this application.</source>
        <translation>Nicht lesbarer Datei-/Ordnername:<byte value="xd"/>
<byte value="xd"/>
%1<byte value="xd"/>
<byte value="xd"/>
Benennen Sie ihn um, bevor Sie ihn in diesem Programm öffnen.</translation>
    </message>
</context>
<context>
    <name>Kestrin::ProgressBar</name>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
</context>
<context>
    <name>Kestrin::StatusBar</name>
    <message>
        <source>Total</source>
        <translation>Gesamt</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <comment>panel name: text</comment>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>Kestrin::fwMain</name>
    <message>
        <source>Source &amp;File:</source>
        <translation>&amp;Quelldatei:</translation>
    </message>
    <message>
        <source>Source &amp;File List:</source>
        <translation>&amp;Quell-Dateiliste:</translation>
    </message>
    <message>
        <source>&amp;Target Folder:</source>
        <translation>&amp;Zielordner:</translation>
    </message>
    <message>
        <source>&amp;Target File:</source>
        <translation>&amp;Zieldatei:</translation>
    </message>
    <message>
        <source>Auto-&amp;numbered</source>
        <translation>Automatisch &amp;nummeriert</translation>
    </message>
    <message>
        <source>First lin&amp;e of fragment</source>
        <translation>Erste Zeile des &amp;Fragments</translation>
    </message>
    <message>
        <source>&amp;Split File</source>
        <translation>Datei t&amp;eilen</translation>
    </message>
    <message>
        <source>&amp;Join Files</source>
        <translation>Dateien &amp;verbinden</translation>
    </message>
    <message>
        <source>&amp;Delimiter:</source>
        <translation>&amp;Trennzeichen:</translation>
    </message>
    <message>
        <source>One line - one file path</source>
        <translation>Eine Zeile - ein Dateipfad</translation>
    </message>
    <message>
        <source> Names of Target Files </source>
        <translation> Namen der Zieldateien </translation>
    </message>
    <message>
        <source> Options </source>
        <translation> Optionen </translation>
    </message>
    <message>
        <source>Silent file &amp;overwriting</source>
        <translation>Dateien still &amp;überschreiben</translation>
    </message>
    <message>
        <source>Create File &amp;List</source>
        <translation>Datei&amp;liste anlegen</translation>
    </message>
    <message>
        <source>File name as first lin&amp;e of a fragment</source>
        <translation>Dateiname als erste Zeile eines &amp;Fragments</translation>
    </message>
    <message>
        <source>Sta&amp;rt</source>
        <translation>Sta&amp;rt</translation>
    </message>
    <message>
        <source>Settings not read (file too large): %1</source>
        <translation>Einstellungen nicht gelesen (Datei zu groß): %1</translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>Fertig.</translation>
    </message>
    <message>
        <source>Done. No listed file found.</source>
        <translation>Fertig. Keine aufgeführte Datei gefunden.</translation>
    </message>
    <message>
        <source>&lt;Required.&gt;</source>
        <translation>&lt;Erforderlich.&gt;</translation>
    </message>
    <message>
        <source>&lt;Same as Source.&gt;</source>
        <translation>&lt;Wie Quelle.&gt;</translation>
    </message>
    <message>
        <source>All Files (*.*)|*.*|</source>
        <translation>Alle Dateien (*.*)|*.*|</translation>
    </message>
</context>
<context>
    <name>Ostrel::BrowseBox</name>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>Info...</translation>
    </message>
    <message>
        <source>

Version</source>
        <translation>

Version</translation>
    </message>
    <message>
        <source>Alt+Down or Alt+Up in the field</source>
        <translation>Alt+Unten oder Alt+Oben im Feld</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Button</source>
        <translation>Schaltfläche</translation>
    </message>
    <message>
        <source>%1 for %2</source>
        <translation>%1 für %2</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
</TS>
