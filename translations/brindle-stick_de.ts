<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>DesignRow</name>
    <message>
        <location filename="../app/ui/DesignRow.cpp" line="72"/>
        <location filename="../app/ui/DesignRow.cpp" line="73"/>
        <source>Delete from the stick</source>
        <translation>Vom Stick löschen</translation>
    </message>
    <message>
        <location filename="../app/ui/DesignRow.cpp" line="93"/>
        <source>Delete from the Stick</source>
        <translation>Vom Stick löschen</translation>
    </message>
</context>
<context>
    <name>FileChooser</name>
    <message>
        <location filename="../app/ui/FileChooser.cpp" line="15"/>
        <source>Embroidery files (%1)</source>
        <translation>Stickdateien (%1)</translation>
    </message>
    <message>
        <location filename="../app/ui/FileChooser.cpp" line="21"/>
        <source>Choose the embroidery files to send to the stick.</source>
        <translation>Wählen Sie die Stickdateien, die an den Stick gehen sollen.</translation>
    </message>
    <message>
        <location filename="../app/ui/FileChooser.cpp" line="26"/>
        <source>Send</source>
        <translation>Senden</translation>
    </message>
</context>
<context>
    <name>FilesSection</name>
    <message>
        <location filename="../app/ui/FilesSection.cpp" line="20"/>
        <source>On the stick</source>
        <translation>Auf dem Stick</translation>
    </message>
    <message>
        <location filename="../app/ui/FilesSection.cpp" line="27"/>
        <location filename="../app/ui/FilesSection.cpp" line="28"/>
        <source>Reload the file list</source>
        <translation>Dateiliste neu laden</translation>
    </message>
    <message>
        <location filename="../app/ui/FilesSection.cpp" line="34"/>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <location filename="../app/ui/FilesSection.cpp" line="88"/>
        <source>The list could not be read from the stick.</source>
        <translation>Die Liste konnte nicht vom Stick gelesen werden.</translation>
    </message>
    <message>
        <location filename="../app/ui/FilesSection.cpp" line="90"/>
        <source>The stick is empty. Drop a file here, or send a design from Brindle on your iPad.</source>
        <translation>Der Stick ist leer. Ziehen Sie eine Datei hierher oder senden Sie ein Motiv aus Brindle auf Ihrem iPad.</translation>
    </message>
    <message>
        <location filename="../app/ui/FilesSection.cpp" line="93"/>
        <source>No design with that name.</source>
        <translation>Kein Motiv mit diesem Namen.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="57"/>
        <source>Send to the stick</source>
        <translation>An den Stick senden</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="98"/>
        <location filename="../app/ui/MainWindow.cpp" line="256"/>
        <location filename="../app/ui/MainWindow.cpp" line="281"/>
        <source>Brindle Stick</source>
        <translation>Brindle Stick</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="142"/>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="143"/>
        <source>Send Files…</source>
        <translation>Dateien senden…</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="148"/>
        <source>Preferences…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="151"/>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="153"/>
        <source>&amp;Stick</source>
        <translation>&amp;Stick</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="154"/>
        <source>Reconnect</source>
        <translation>Neu verbinden</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="156"/>
        <source>Reload Files</source>
        <translation>Dateien neu laden</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="159"/>
        <source>Release the Stick</source>
        <translation>Stick freigeben</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="160"/>
        <source>Forget This Stick</source>
        <translation>Diesen Stick vergessen</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="168"/>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="169"/>
        <source>Stick Firmware and Help</source>
        <translation>Stick-Firmware und Hilfe</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="171"/>
        <source>Brindle for iPad</source>
        <translation>Brindle für iPad</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="173"/>
        <source>Show Log in File Manager</source>
        <translation>Protokoll im Dateimanager zeigen</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="258"/>
        <source>Delete “%1” from the stick?</source>
        <translation>„%1“ vom Stick löschen?</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="259"/>
        <source>Removes %1. This cannot be undone.</source>
        <translation>Entfernt %1. Das lässt sich nicht rückgängig machen.</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="261"/>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="262"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location filename="../app/ui/MainWindow.cpp" line="283"/>
        <source>Not sent</source>
        <translation>Nicht gesendet</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <location filename="../app/ui/SettingsDialog.cpp" line="23"/>
        <source>Show in the system tray</source>
        <translation>Im Infobereich anzeigen</translation>
    </message>
    <message>
        <location filename="../app/ui/SettingsDialog.cpp" line="28"/>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <location filename="../app/ui/SettingsDialog.cpp" line="37"/>
        <source>With the tray icon, closing the window keeps Brindle Stick running; the stick is let go until you open the window again.</source>
        <translation>Mit dem Symbol im Infobereich läuft Brindle Stick weiter, wenn Sie das Fenster schließen; der Stick wird freigegeben, bis Sie das Fenster wieder öffnen.</translation>
    </message>
    <message>
        <location filename="../app/ui/SettingsDialog.cpp" line="49"/>
        <source>This desktop has no system tray, so closing the window quits Brindle Stick.</source>
        <translation>Diese Arbeitsumgebung hat keinen Infobereich, daher beendet das Schließen des Fensters Brindle Stick.</translation>
    </message>
    <message>
        <location filename="../app/ui/SettingsDialog.cpp" line="54"/>
        <source>No limit</source>
        <translation>Keine Grenze</translation>
    </message>
    <message>
        <location filename="../app/ui/SettingsDialog.cpp" line="56"/>
        <source>%1 mm</source>
        <translation>%1 mm</translation>
    </message>
    <message>
        <location filename="../app/ui/SettingsDialog.cpp" line="57"/>
        <source>Custom…</source>
        <translation>Eigene Größe…</translation>
    </message>
    <message>
        <location filename="../app/ui/SettingsDialog.cpp" line="63"/>
        <source> mm</source>
        <translation> mm</translation>
    </message>
    <message>
        <location filename="../app/ui/SettingsDialog.cpp" line="83"/>
        <source>Largest hoop of my machine</source>
        <translation>Größter Stickrahmen meiner Maschine</translation>
    </message>
    <message>
        <location filename="../app/ui/SettingsDialog.cpp" line="86"/>
        <source>A design larger than this, either way round, waits with a warning before it is sent.</source>
        <translation>Ein Motiv, das auch gedreht nicht hineinpasst, wartet vor dem Senden mit einem Hinweis.</translation>
    </message>
</context>
<context>
    <name>StepCard</name>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="55"/>
        <source>SD card: please format it as FAT32. Until then the stick uses its own memory.</source>
        <translation>SD-Karte: Bitte als FAT32 formatieren. Bis dahin nutzt der Stick seinen eigenen Speicher.</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="58"/>
        <source>The stick is not plugged into a machine. It keeps your files until it is.</source>
        <translation>Der Stick steckt in keiner Maschine. Er bewahrt Ihre Dateien auf, bis er eingesteckt wird.</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="61"/>
        <source>The machine is reading from the stick right now.</source>
        <translation>Die Maschine liest gerade vom Stick.</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="125"/>
        <source>Starting Bluetooth…</source>
        <translation>Bluetooth wird gestartet…</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="135"/>
        <source>Preparing %1…</source>
        <translation>%1 wird vorbereitet…</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="139"/>
        <source>Checking on the stick…</source>
        <translation>Wird auf dem Stick geprüft…</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="142"/>
        <source>Already on the stick: %1. Replace?</source>
        <translation>Schon auf dem Stick: %1. Ersetzen?</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="144"/>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="145"/>
        <source>Keep</source>
        <translation>Behalten</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="150"/>
        <source>The stick is free for your iPad.</source>
        <translation>Der Stick ist frei für Ihr iPad.</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="152"/>
        <source>Connect again</source>
        <translation>Wieder verbinden</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="160"/>
        <source>Looking for sticks…</source>
        <translation>Sticks werden gesucht…</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="186"/>
        <source>No stick yet. Plug it into the machine or a USB power source, switch the machine on and keep the computer close. A stick connected to an iPad is invisible here — close the stick there first.</source>
        <translation>Noch kein Stick gefunden. Stecken Sie ihn in die Stickmaschine oder an ein USB-Netzteil, schalten Sie die Maschine ein und halten Sie den Computer in der Nähe. Ein mit einem iPad verbundener Stick ist hier unsichtbar — schließen Sie den Stick dort zuerst.</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="196"/>
        <source>Connecting to %1…</source>
        <translation>Verbindung mit %1…</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="205"/>
        <source>%1 shows 6 digits on its display. Type them here to pair.</source>
        <translation>%1 zeigt 6 Ziffern auf dem Display. Geben Sie sie hier ein, um zu koppeln.</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="216"/>
        <source>Pair</source>
        <translation>Koppeln</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="227"/>
        <source>Does %1 show %2 on its display?</source>
        <translation>Zeigt %1 auf dem Display %2?</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="231"/>
        <source>It matches</source>
        <translation>Stimmt überein</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="235"/>
        <location filename="../app/ui/StepCard.cpp" line="274"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="240"/>
        <source>Is this the right stick?</source>
        <translation>Ist das der richtige Stick?</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="244"/>
        <source>Look at the stick in your machine: its display now shows “%1”. Only then say yes.</source>
        <translation>Sehen Sie auf den Stick in Ihrer Maschine: Sein Display zeigt jetzt „%1“. Sagen Sie erst dann Ja.</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="248"/>
        <source>Yes, that one</source>
        <translation>Ja, dieser</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="249"/>
        <source>Another stick</source>
        <translation>Anderer Stick</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="265"/>
        <source>Ready. Drop embroidery files on this window to send them.</source>
        <translation>Bereit. Ziehen Sie Stickdateien auf dieses Fenster, um sie zu senden.</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="270"/>
        <source>Waiting to be sent:</source>
        <translation>Wartet auf das Senden:</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="273"/>
        <source>Send</source>
        <translation>Senden</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="289"/>
        <source>Drop embroidery files here</source>
        <translation>Stickdateien hierher ziehen</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="292"/>
        <source>Choose Files…</source>
        <translation>Dateien wählen…</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="300"/>
        <source>Sending %1</source>
        <translation>%1 wird gesendet</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="317"/>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="326"/>
        <source>Sent: %1</source>
        <translation>Gesendet: %1</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="329"/>
        <source>Verified: the stick read it back unchanged. The machine sees it now.</source>
        <translation>Geprüft: Der Stick hat die Datei unverändert zurückgelesen. Die Maschine sieht sie jetzt.</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="385"/>
        <source>Take out of the queue</source>
        <translation>Aus der Warteschlange nehmen</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="386"/>
        <source>Take %1 out of the queue</source>
        <translation>%1 aus der Warteschlange nehmen</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="398"/>
        <source>Try again</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="400"/>
        <source>Open Settings</source>
        <translation>Einstellungen öffnen</translation>
    </message>
    <message>
        <location filename="../app/ui/StepCard.cpp" line="401"/>
        <source>Forget the files</source>
        <translation>Dateien verwerfen</translation>
    </message>
</context>
<context>
    <name>StickFileBatch</name>
    <message>
        <location filename="../app/core/StickFileBatch.cpp" line="119"/>
        <source>“%1” is not a file that can be sent (a folder, a device or a pipe).</source>
        <translation>„%1“ ist keine Datei, die sich senden lässt (ein Ordner, ein Gerät oder eine Pipe).</translation>
    </message>
    <message>
        <location filename="../app/core/StickFileBatch.cpp" line="123"/>
        <source>“%1” is empty, so there is nothing to send.</source>
        <translation>„%1“ ist leer, es gibt also nichts zu senden.</translation>
    </message>
    <message>
        <location filename="../app/core/StickFileBatch.cpp" line="126"/>
        <source>“%1” is larger than the stick takes. Insert an SD card for larger files.</source>
        <translation>„%1“ ist größer, als der Stick aufnimmt. Stecken Sie für größere Dateien eine SD-Karte ein.</translation>
    </message>
    <message>
        <location filename="../app/core/StickFileBatch.cpp" line="129"/>
        <source>“%1” is larger than the stick takes (%2). Insert an SD card for larger files.</source>
        <translation>„%1“ ist größer, als der Stick aufnimmt (%2). Stecken Sie für größere Dateien eine SD-Karte ein.</translation>
    </message>
</context>
<context>
    <name>StickHeader</name>
    <message>
        <location filename="../app/ui/StickHeader.cpp" line="105"/>
        <source>Brindle Stick</source>
        <translation>Brindle Stick</translation>
    </message>
</context>
<context>
    <name>StickMessages</name>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="27"/>
        <source>This stick speaks protocol %1 (firmware %2). Update its firmware to send from this version of Brindle Stick.</source>
        <translation>Dieser Stick spricht Protokoll %1 (Firmware %2). Aktualisieren Sie seine Firmware, um aus dieser Version von Brindle Stick zu senden.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="32"/>
        <source>The file is larger than the stick takes. Insert an SD card for larger files.</source>
        <translation>Die Datei ist größer, als der Stick aufnimmt. Stecken Sie für größere Dateien eine SD-Karte ein.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="34"/>
        <source>The file is larger than the stick takes (%1). Insert an SD card for larger files.</source>
        <translation>Die Datei ist größer, als der Stick aufnimmt (%1). Stecken Sie für größere Dateien eine SD-Karte ein.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="38"/>
        <source>The stick refused the file name “%1”. Rename the file with letters and digits, then send again.</source>
        <translation>Der Stick hat den Dateinamen „%1“ abgelehnt. Benennen Sie die Datei mit Buchstaben und Ziffern um und senden Sie sie erneut.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="42"/>
        <source>Already on the stick: %1.</source>
        <translation>Schon auf dem Stick: %1.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="44"/>
        <source>That file is no longer on the stick.</source>
        <translation>Diese Datei ist nicht mehr auf dem Stick.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="49"/>
        <source>The stick answered something unexpected. Unplug it, plug it in again and try once more.</source>
        <translation>Der Stick hat unerwartet geantwortet. Ziehen Sie ihn ab, stecken Sie ihn wieder ein und versuchen Sie es noch einmal.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="52"/>
        <source>Bluetooth is off. Turn it on in Settings › Bluetooth, then try again.</source>
        <translation>Bluetooth ist aus. Schalten Sie es unter Einstellungen › Bluetooth ein und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="54"/>
        <source>Brindle Stick may not use Bluetooth. Allow it in Settings › Privacy &amp; Security › Bluetooth, then try again.</source>
        <translation>Brindle Stick darf Bluetooth nicht verwenden. Erlauben Sie es unter Einstellungen › Datenschutz &amp; Sicherheit › Bluetooth und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="57"/>
        <source>This computer cannot talk to the stick: it needs Bluetooth 4.2 or newer.</source>
        <translation>Dieser Computer kann nicht mit dem Stick sprechen: Er braucht Bluetooth 4.2 oder neuer.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="60"/>
        <source>No stick found. Plug it into the machine or a USB power source, and keep the computer close.</source>
        <translation>Kein Stick gefunden. Stecken Sie ihn in die Stickmaschine oder an ein USB-Netzteil und halten Sie den Computer in der Nähe.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="63"/>
        <source>The stick does not answer. Is an iPad connected to it? Close the stick there, move closer and try again.</source>
        <translation>Der Stick antwortet nicht. Ist ein iPad mit ihm verbunden? Schließen Sie den Stick dort, gehen Sie näher heran und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="66"/>
        <source>Pairing did not work. If the stick showed no code, hold its button for 3 seconds until it says it is ready to pair, then try again. If it showed a code, enter exactly that one. Pairing needs Bluetooth 4.2 or newer on this computer.</source>
        <translation>Das Koppeln hat nicht geklappt. Hat der Stick keinen Code gezeigt, halten Sie seine Taste 3 Sekunden gedrückt, bis er meldet, dass er zum Koppeln bereit ist, und versuchen Sie es dann erneut. Hat er einen Code gezeigt, geben Sie genau diesen ein. Zum Koppeln braucht dieser Computer Bluetooth 4.2 oder neuer.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="74"/>
        <source>The stick no longer knows this computer. In Settings › Bluetooth, remove “%1”, then pair again.</source>
        <translation>Der Stick kennt diesen Computer nicht mehr. Entfernen Sie „%1“ unter Einstellungen › Bluetooth und koppeln Sie dann erneut.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="78"/>
        <source>The Bluetooth connection is too narrow for the stick. Switch Bluetooth off and on, then try again.</source>
        <translation>Die Bluetooth-Verbindung ist zu schmal für den Stick. Schalten Sie Bluetooth aus und wieder ein und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="81"/>
        <source>The machine is reading from the stick right now. Wait a moment, then send again.</source>
        <translation>Die Maschine liest gerade vom Stick. Warten Sie einen Moment und senden Sie dann erneut.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="84"/>
        <source>The stick is still busy with another transfer. Try again in a moment.</source>
        <translation>Der Stick ist noch mit einer anderen Übertragung beschäftigt. Versuchen Sie es gleich noch einmal.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="86"/>
        <source>The stick is full. Delete files on it below, or insert an SD card.</source>
        <translation>Der Stick ist voll. Löschen Sie unten Dateien darauf oder stecken Sie eine SD-Karte ein.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="88"/>
        <source>The SD card was removed. Insert it again, or send to the stick&apos;s own memory.</source>
        <translation>Die SD-Karte wurde entfernt. Stecken Sie sie wieder ein oder senden Sie in den eigenen Speicher des Sticks.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="91"/>
        <source>The stick could not write its memory. Try again; if it happens again, format the SD card as FAT32.</source>
        <translation>Der Stick konnte nicht in seinen Speicher schreiben. Versuchen Sie es erneut; geschieht das wieder, formatieren Sie die SD-Karte als FAT32.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="94"/>
        <source>The connection was lost. Move closer and try again.</source>
        <translation>Die Verbindung ist abgebrochen. Gehen Sie näher heran und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="96"/>
        <source>What the stick stored differs from what was sent. Send again.</source>
        <translation>Was der Stick gespeichert hat, weicht vom Gesendeten ab. Senden Sie erneut.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="98"/>
        <source>The stick stopped answering. Move closer and try again.</source>
        <translation>Der Stick antwortet nicht mehr. Gehen Sie näher heran und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="100"/>
        <source>Sending was cancelled.</source>
        <translation>Das Senden wurde abgebrochen.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="120"/>
        <source>Starting…</source>
        <translation>Wird gestartet…</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="122"/>
        <source>Looking for your stick…</source>
        <translation>Ihr Stick wird gesucht…</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="126"/>
        <source>Look at the stick&apos;s display</source>
        <translation>Sehen Sie auf das Display des Sticks</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="130"/>
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="132"/>
        <source>Preparing…</source>
        <translation>Wird vorbereitet…</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="134"/>
        <source>Sending…</source>
        <translation>Wird gesendet…</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="136"/>
        <source>Checking on the stick…</source>
        <translation>Wird auf dem Stick geprüft…</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="138"/>
        <source>Not connected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="140"/>
        <source>Released — the stick is free for your iPad</source>
        <translation>Freigegeben — der Stick ist frei für Ihr iPad</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="152"/>
        <source>Securing the connection. If asked for a code, type the 6 digits on the stick&apos;s display.</source>
        <translation>Die Verbindung wird gesichert. Werden Sie nach einem Code gefragt, geben Sie die 6 Ziffern vom Display des Sticks ein.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="155"/>
        <source>Connecting…</source>
        <translation>Wird verbunden…</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="164"/>
        <source>SD card · %1 free</source>
        <translation>SD-Karte · %1 frei</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="165"/>
        <source>Stick memory · %1 free</source>
        <translation>Stick-Speicher · %1 frei</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="169"/>
        <source>Not embroidery files, so not sent: %1. The stick takes DST, EXP, PES, JEF, VP3 and the other machine formats.</source>
        <translation>Keine Stickdateien, daher nicht gesendet: %1. Der Stick nimmt DST, EXP, PES, JEF, VP3 und die anderen Maschinenformate.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="177"/>
        <source>%1: same name on the stick as another file</source>
        <translation>%1: auf dem Stick gleicher Name wie eine andere Datei</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="182"/>
        <source>The file could not be read. Is it still where it was?</source>
        <translation>Die Datei konnte nicht gelesen werden. Liegt sie noch dort, wo sie war?</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="188"/>
        <source>1 stitch</source>
        <translation>1 Stich</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="189"/>
        <source>%1 stitches</source>
        <translation>%1 Stiche</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="191"/>
        <source>1 colour</source>
        <translation>1 Farbe</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="191"/>
        <source>%1 colours</source>
        <translation>%1 Farben</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="192"/>
        <source>%1 × %2 mm · %3 · %4</source>
        <translation>%1 × %2 mm · %3 · %4</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="200"/>
        <source>%1 is cut short: it ends after %2 bytes, before its %3 design does. The machine may not read it.</source>
        <translation>%1 ist unvollständig: Die Datei endet nach %2 Bytes, vor dem Ende ihres %3-Motivs. Die Maschine kann sie womöglich nicht lesen.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="203"/>
        <source>%1 is not what its name says: it holds no %2 design. The machine may not read it.</source>
        <translation>%1 ist nicht, was der Name sagt: Die Datei enthält kein %2-Motiv. Die Maschine kann sie womöglich nicht lesen.</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="208"/>
        <source>%1 is %2 × %3 mm, larger than your hoop (%4 mm).</source>
        <translation>%1 ist %2 × %3 mm groß, größer als Ihr Stickrahmen (%4 mm).</translation>
    </message>
    <message>
        <location filename="../app/core/StickMessages.cpp" line="218"/>
        <source>1 byte</source>
        <translation>1 Byte</translation>
    </message>
</context>
<context>
    <name>StickModel</name>
    <message>
        <location filename="../app/core/StickModel.cpp" line="164"/>
        <source>No longer found, so no longer queued: %1</source>
        <translation>Nicht mehr gefunden, daher nicht mehr in der Warteschlange: %1</translation>
    </message>
</context>
<context>
    <name>TrayItem</name>
    <message>
        <location filename="../app/ui/TrayItem.cpp" line="44"/>
        <location filename="../app/ui/TrayItem.cpp" line="51"/>
        <source>Brindle Stick</source>
        <translation>Brindle Stick</translation>
    </message>
    <message>
        <location filename="../app/ui/TrayItem.cpp" line="54"/>
        <source>Open Brindle Stick</source>
        <translation>Brindle Stick öffnen</translation>
    </message>
    <message>
        <location filename="../app/ui/TrayItem.cpp" line="55"/>
        <source>Send Files…</source>
        <translation>Dateien senden…</translation>
    </message>
    <message>
        <location filename="../app/ui/TrayItem.cpp" line="61"/>
        <source>Release the Stick</source>
        <translation>Stick freigeben</translation>
    </message>
    <message>
        <location filename="../app/ui/TrayItem.cpp" line="63"/>
        <source>Connect</source>
        <translation>Verbinden</translation>
    </message>
    <message>
        <location filename="../app/ui/TrayItem.cpp" line="69"/>
        <source>Quit Brindle Stick</source>
        <translation>Brindle Stick beenden</translation>
    </message>
</context>
<context>
    <name>WindowFooter</name>
    <message>
        <location filename="../app/ui/WindowFooter.cpp" line="24"/>
        <location filename="../app/ui/WindowFooter.cpp" line="50"/>
        <source>Firmware %1</source>
        <translation>Firmware %1</translation>
    </message>
    <message>
        <location filename="../app/ui/WindowFooter.cpp" line="28"/>
        <source>Design on iPad with Brindle</source>
        <translation>Motive gestalten mit Brindle auf dem iPad</translation>
    </message>
    <message>
        <location filename="../app/ui/WindowFooter.cpp" line="52"/>
        <source>Brindle Stick %1</source>
        <translation>Brindle Stick %1</translation>
    </message>
</context>
</TS>
