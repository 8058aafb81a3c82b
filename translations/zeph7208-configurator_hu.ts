<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="hu_HU">
<context>
    <name>AccessibleNames</name>
    <message>
        <source>Serial port</source>
        <translation>Soros port</translation>
    </message>
    <message>
        <source>List of serial ports</source>
        <translation>Soros portok listája</translation>
    </message>
    <message>
        <source>Settings file</source>
        <translation>Beállítás fájl</translation>
    </message>
    <message>
        <source>Settings in the instrument</source>
        <translation>Beállítások a készülékben</translation>
    </message>
    <message>
        <source>Baud rate</source>
        <translation>Adatátviteli sebesség</translation>
    </message>
    <message>
        <source>MODBUS address, 1 to 247</source>
        <translation>MODBUS készülékcím, 1-től 247-ig</translation>
    </message>
    <message>
        <source>Communication time-out in tens of milliseconds</source>
        <translation>Kommunikációs időkorlát tíz milliszekundumokban</translation>
    </message>
    <message>
        <source>Answer delay in milliseconds</source>
        <translation>Válaszkésleltetés milliszekundumban</translation>
    </message>
    <message>
        <source>Pull-up and pull-down resistors</source>
        <translation>Fel- és lehúzó ellenállások</translation>
    </message>
    <message>
        <source>NAMUR errors</source>
        <translation>NAMUR hibák</translation>
    </message>
    <message>
        <source>Input %1 type</source>
        <translation>%1. bemenet típusa</translation>
    </message>
    <message>
        <source>Input %1 counted event</source>
        <translation>%1. bemenet számlálandó eseménye</translation>
    </message>
    <message>
        <source>Input %1 debounced</source>
        <translation>%1. bemenet pergésmentesítése</translation>
    </message>
    <message>
        <source>Input %1 maximum time between pulses in milliseconds</source>
        <translation>%1. bemenet: két impulzus közötti legnagyobb idő milliszekundumban</translation>
    </message>
    <message>
        <source>New value for IN%1</source>
        <translation>IN%1 kívánt értéke</translation>
    </message>
    <message>
        <source>Select IN%1</source>
        <translation>IN%1 kijelölése</translation>
    </message>
    <message>
        <source>IN%1 counter over 4 billions</source>
        <translation>IN%1 számláló 4 milliárd felett</translation>
    </message>
    <message>
        <source>IN%1 time over maximum</source>
        <translation>IN%1 idő a megengedett felett</translation>
    </message>
    <message>
        <source>IN%1 NAMUR open circuit</source>
        <translation>IN%1 NAMUR szakadás</translation>
    </message>
    <message>
        <source>IN%1 NAMUR short circuit</source>
        <translation>IN%1 NAMUR zárlat</translation>
    </message>
    <message>
        <source>Frames on the line</source>
        <translation>Keretek a vonalon</translation>
    </message>
    <message>
        <source>Selected frame in full</source>
        <translation>A kijelölt keret teljes egészében</translation>
    </message>
    <message>
        <source>set</source>
        <translation>jelez</translation>
    </message>
    <message>
        <source>clear</source>
        <translation>nem jelez</translation>
    </message>
    <message>
        <source>active</source>
        <translation>aktív</translation>
    </message>
    <message>
        <source>idle</source>
        <translation>nyugalomban</translation>
    </message>
    <message>
        <source>Port open</source>
        <translation>Port nyitva</translation>
    </message>
    <message>
        <source>Port closed</source>
        <translation>Port zárva</translation>
    </message>
    <message>
        <source>TX active</source>
        <translation>TX aktív</translation>
    </message>
    <message>
        <source>TX idle</source>
        <translation>TX nyugalomban</translation>
    </message>
    <message>
        <source>RX active</source>
        <translation>RX aktív</translation>
    </message>
    <message>
        <source>RX idle</source>
        <translation>RX nyugalomban</translation>
    </message>
    <message>
        <source>IN%1 counter: not read</source>
        <translation>IN%1 számláló: nincs kiolvasva</translation>
    </message>
    <message>
        <source>IN%1 counter: %2</source>
        <translation>IN%1 számláló: %2</translation>
    </message>
    <message>
        <source>IN%1 time between the last two pulses: not read</source>
        <translation>IN%1 az utolsó két impulzus között eltelt idő: nincs kiolvasva</translation>
    </message>
    <message>
        <source>IN%1 time between the last two pulses: none</source>
        <translation>IN%1 az utolsó két impulzus között eltelt idő: nincs</translation>
    </message>
    <message>
        <source>IN%1 time between the last two pulses: %2 milliseconds</source>
        <translation>IN%1 az utolsó két impulzus között eltelt idő: %2 milliszekundum</translation>
    </message>
    <message>
        <source>IN%1 rate: not known yet</source>
        <translation>IN%1 impulzusszám másodpercenként: még nem ismert</translation>
    </message>
    <message>
        <source>IN%1 rate: %2 pulses per second</source>
        <translation>IN%1 impulzusszám másodpercenként: %2</translation>
    </message>
    <message>
        <source>Fast continuous refresh</source>
        <translation>Gyors folyamatos kiolvasás</translation>
    </message>
    <message>
        <source>Browse for the template</source>
        <translation>Sablon tallózása</translation>
    </message>
    <message>
        <source>Browse for the device list</source>
        <translation>Készüléklista tallózása</translation>
    </message>
    <message>
        <source>Browse for the output folder</source>
        <translation>Kimeneti mappa tallózása</translation>
    </message>
    <message>
        <source>Devices of the run</source>
        <translation>A futtatás készülékei</translation>
    </message>
    <message>
        <source>Devices finished</source>
        <translation>Befejezett készülékek</translation>
    </message>
    <message>
        <source>Parity</source>
        <translation>Paritás bit</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Nyelv</translation>
    </message>
    <message>
        <source>IN%1: not read</source>
        <translation>IN%1: nincs kiolvasva</translation>
    </message>
    <message>
        <source>IN%1: counter %2</source>
        <translation>IN%1: számláló %2</translation>
    </message>
    <message>
        <source>%1 pulses per second</source>
        <translation>másodpercenként %1 impulzus</translation>
    </message>
    <message>
        <source>no time between pulses yet</source>
        <translation>impulzusok közötti idő még nincs</translation>
    </message>
    <message>
        <source>%1 milliseconds between the last two pulses</source>
        <translation>az utolsó két impulzus között %1 milliszekundum</translation>
    </message>
    <message>
        <source>counter over 4 billions</source>
        <translation>számláló 4 milliárd felett</translation>
    </message>
    <message>
        <source>time over maximum</source>
        <translation>idő a megengedett felett</translation>
    </message>
    <message>
        <source>NAMUR open circuit</source>
        <translation>NAMUR szakadás</translation>
    </message>
    <message>
        <source>NAMUR short circuit</source>
        <translation>NAMUR zárlat</translation>
    </message>
    <message>
        <source>no flag set</source>
        <translation>nincs hibajelzés</translation>
    </message>
    <message>
        <source>set: %1</source>
        <translation>jelez: %1</translation>
    </message>
</context>
<context>
    <name>ComPortOption</name>
    <message>
        <source>baud rate 19200</source>
        <translation>19200 baud sebesség</translation>
    </message>
    <message>
        <source>8 data bits</source>
        <translation>8 adatbit</translation>
    </message>
    <message>
        <source>no parity</source>
        <translation>nincs paritás</translation>
    </message>
    <message>
        <source>1 stop bit</source>
        <translation>1 stopbit</translation>
    </message>
    <message>
        <source>no flow control</source>
        <translation>nincs forgalomvezérlés</translation>
    </message>
</context>
<context>
    <name>CounterLogReading</name>
    <message>
        <source>This is not a counter log: its first line must name the columns %1.</source>
        <translation>Ez nem számlálónapló: az első sorának ezeket az oszlopokat kell megneveznie: %1.</translation>
    </message>
    <message>
        <source>Line %1, %2: not a time such as 2026-12-08T06:06:32.123+01:00.</source>
        <translation>%1. sor, %2: nem olyan időpont, mint 2026-12-08T06:06:32.123+01:00.</translation>
    </message>
    <message>
        <source>This is not a counter log: it has no line, and its first line must name the columns %1.</source>
        <translation>Ez nem számlálónapló: nincs egyetlen sora sem, pedig az első sorának ezeket az oszlopokat kell megneveznie: %1.</translation>
    </message>
    <message>
        <source>The last line, %1, was cut off and is left out.</source>
        <translation>Az utolsó, %1. sor csonka, kimarad.</translation>
    </message>
    <message>
        <source>The counter log has no readings.</source>
        <translation>A számlálónaplóban nincs adat.</translation>
    </message>
    <message>
        <source>%1 The reading stopped there: %2 rows are shown.</source>
        <translation>%1 Az olvasás itt megállt: %2 sor látható.</translation>
    </message>
    <message>
        <source>Line %1, %2: %3.</source>
        <translation>%1. sor, %2: %3.</translation>
    </message>
    <message>
        <source>column %1</source>
        <translation>%1. oszlop</translation>
    </message>
    <message>
        <source>column %1 (%2)</source>
        <translation>%1. oszlop (%2)</translation>
    </message>
    <message>
        <source>missing: the line has %1 columns, a counter log %2</source>
        <translation>hiányzik: a sorban %1 oszlop van, a számlálónaplóban %2</translation>
    </message>
    <message>
        <source>one column too many</source>
        <translation>eggyel több oszlop</translation>
    </message>
    <message>
        <source>not a time such as 2026-12-08T06:06:32.123+01:00</source>
        <translation>nem olyan időpont, mint 2026-12-08T06:06:32.123+01:00</translation>
    </message>
    <message>
        <source>not a whole number from 0 to 4294967295</source>
        <translation>nem 0 és 4294967295 közötti egész szám</translation>
    </message>
    <message>
        <source>neither empty nor a whole number of milliseconds</source>
        <translation>se nem üres, se nem egész ezredmásodperc-szám</translation>
    </message>
    <message>
        <source>neither empty nor a number of pulses per second</source>
        <translation>se nem üres, se nem másodpercenkénti impulzusszám</translation>
    </message>
    <message>
        <source>not a whole number from 0 to 255</source>
        <translation>nem 0 és 255 közötti egész szám</translation>
    </message>
</context>
<context>
    <name>Device</name>
    <message>
        <source>Missing or invalid number</source>
        <translation>Hiányzó vagy érvénytelen szám</translation>
    </message>
    <message>
        <source>The value min. limit is </source>
        <translation>Az érték alsó határa </translation>
    </message>
    <message>
        <source>The value max. limit is </source>
        <translation>Az érték felső határa </translation>
    </message>
    <message>
        <source>Unchecked</source>
        <translation>Nincs kiválasztva</translation>
    </message>
    <message>
        <source>Unselected</source>
        <translation>Nincs kijelölve</translation>
    </message>
    <message>
        <source>Parameters error.</source>
        <translation>Paraméter hiba.</translation>
    </message>
    <message>
        <source>EEPROM error.</source>
        <translation>EEPROM hiba.</translation>
    </message>
    <message>
        <source>Ready.</source>
        <translation>Kész.</translation>
    </message>
    <message>
        <source>Data source at startup: </source>
        <translation>Indításkori adatforrás: </translation>
    </message>
    <message>
        <source>The settings failed.</source>
        <translation>A beállítások megsérültek.</translation>
    </message>
    <message>
        <source>Baud rate</source>
        <translation>Adatátviteli sebesség</translation>
    </message>
    <message>
        <source>The ZEPH7208 have not responded.</source>
        <translation>A ZEPH7208 nem válaszolt.</translation>
    </message>
    <message>
        <source>A #%1 This is not a ZEPH7208.</source>
        <translation>A #%1 című periféria nem ZEPH7208.</translation>
    </message>
    <message>
        <source>The device refused the request with status %1.</source>
        <translation>A készülék %1 állapotkóddal utasította el a kérést.</translation>
    </message>
</context>
<context>
    <name>NetworkLine</name>
    <message>
        <source>no connection within %1 s</source>
        <translation>%1 s alatt nem jött létre kapcsolat</translation>
    </message>
    <message>
        <source>cannot reach %1: %2</source>
        <translation>%1 nem érhető el: %2</translation>
    </message>
    <message>
        <source>%1 closed the connection: %2</source>
        <translation>%1 bontotta a kapcsolatot: %2</translation>
    </message>
    <message>
        <source>The serial server at %1 refuses to set its port (RFC 2217): the port keeps the settings the server gives it, which must be 19200 8N1.</source>
        <translation>A(z) %1 soros szerver nem engedi beállítani a portját (RFC 2217): a port a szerver saját beállításaival működik, amelyeknek 19200 8N1-nek kell lenniük.</translation>
    </message>
    <message>
        <source>The serial server at %1 does not answer the request to set its port (RFC 2217): the port keeps the settings the server gives it, which must be 19200 8N1.</source>
        <translation>A(z) %1 soros szerver nem válaszol a portja beállítására (RFC 2217): a port a szerver saját beállításaival működik, amelyeknek 19200 8N1-nek kell lenniük.</translation>
    </message>
    <message>
        <source>%1 (no answer)</source>
        <translation>%1 (nincs válasz)</translation>
    </message>
    <message>
        <source>%1 (it set %2)</source>
        <translation>%1 (%2 lett beállítva)</translation>
    </message>
    <message>
        <source>The serial server at %1 did not take: %2. The line stays open; the device answers only if its port runs at 19200 8N1.</source>
        <translation>A(z) %1 soros szerver nem fogadta el: %2. A vonal nyitva marad; a készülék csak akkor válaszol, ha a portja 19200 8N1 beállítással működik.</translation>
    </message>
    <message>
        <source>the connection is not open</source>
        <translation>a kapcsolat nincs nyitva</translation>
    </message>
    <message>
        <source>Host not found</source>
        <translation>A gép nem található</translation>
    </message>
    <message>
        <source>The remote host closed the connection</source>
        <translation>A távoli gép bezárta a kapcsolatot</translation>
    </message>
</context>
<context>
    <name>Operation</name>
    <message>
        <source>read settings</source>
        <translation>beállítások kiolvasása</translation>
    </message>
    <message>
        <source>read factory defaults</source>
        <translation>gyári alapértékek kiolvasása</translation>
    </message>
    <message>
        <source>write settings</source>
        <translation>beállítások írása</translation>
    </message>
    <message>
        <source>read counters</source>
        <translation>számlálók kiolvasása</translation>
    </message>
    <message>
        <source>clear errors</source>
        <translation>hibajelzések törlése</translation>
    </message>
    <message>
        <source>preset counters</source>
        <translation>számlálók beírása</translation>
    </message>
    <message>
        <source>first initialization</source>
        <translation>1. inicializálás</translation>
    </message>
</context>
<context>
    <name>Outcome</name>
    <message>
        <source>done</source>
        <translation>kész</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>nincs válasz</translation>
    </message>
    <message>
        <source>not a ZEPH7208</source>
        <translation>nem ZEPH7208</translation>
    </message>
    <message>
        <source>parameters error</source>
        <translation>paraméter hiba</translation>
    </message>
    <message>
        <source>EEPROM error</source>
        <translation>EEPROM hiba</translation>
    </message>
    <message>
        <source>status ignored</source>
        <translation>állapotkód figyelmen kívül</translation>
    </message>
    <message>
        <source>abandoned</source>
        <translation>félbehagyva</translation>
    </message>
</context>
<context>
    <name>Port</name>
    <message>
        <source>TCOMPORT : cannot open %1</source>
        <translation>TCOMPORT : nem nyitható meg: %1</translation>
    </message>
    <message>
        <source>In use by this program.</source>
        <translation>Ez a program használja.</translation>
    </message>
    <message>
        <source>In use by another program.</source>
        <translation>Egy másik program használja.</translation>
    </message>
    <message>
        <source>In use by another program: %1.</source>
        <translation>Egy másik program használja: %1.</translation>
    </message>
    <message>
        <source>another program</source>
        <translation>egy másik program</translation>
    </message>
    <message>
        <source>this program</source>
        <translation>ez a program</translation>
    </message>
    <message>
        <source>%1 is not a port: opening it would make a new pseudo-terminal.</source>
        <translation>%1 nem port: megnyitása új pszeudoterminált hozna létre.</translation>
    </message>
    <message>
        <source>%1 is not a serial port.</source>
        <translation>%1 nem soros port.</translation>
    </message>
    <message>
        <source>only its owner %1 may open it; ask the administrator for access</source>
        <translation>csak a tulajdonosa (%1) nyithatja meg; kérjen hozzáférést a rendszergazdától</translation>
    </message>
    <message>
        <source>add your user to the group %1, then log in again</source>
        <translation>vegye fel a felhasználóját a(z) %1 csoportba, majd jelentkezzen be újra</translation>
    </message>
    <message>
        <source>log in again to use the group %1</source>
        <translation>jelentkezzen be újra, hogy a(z) %1 csoport érvényes legyen</translation>
    </message>
    <message>
        <source>ask the administrator for access</source>
        <translation>kérjen hozzáférést a rendszergazdától</translation>
    </message>
    <message>
        <source>USB serial adapter</source>
        <translation>USB soros átalakító</translation>
    </message>
    <message>
        <source>Serial port, driver %1</source>
        <translation>Soros port, meghajtó: %1</translation>
    </message>
    <message>
        <source>Pseudo-terminal</source>
        <translation>Pszeudoterminál</translation>
    </message>
    <message>
        <source>Serial port</source>
        <translation>Soros port</translation>
    </message>
    <message>
        <source>it makes a new pseudo-terminal at every open</source>
        <translation>minden megnyitáskor új pszeudoterminált hoz létre</translation>
    </message>
    <message>
        <source>Maker: %1</source>
        <translation>Gyártó: %1</translation>
    </message>
    <message>
        <source>Product: %1</source>
        <translation>Termék: %1</translation>
    </message>
    <message>
        <source>Serial number: %1</source>
        <translation>Gyári szám: %1</translation>
    </message>
    <message>
        <source>Stable name: %1</source>
        <translation>Állandó név: %1</translation>
    </message>
    <message>
        <source>Leads to: %1</source>
        <translation>Cél: %1</translation>
    </message>
    <message>
        <source>Device end: %1</source>
        <translation>Készülékoldal: %1</translation>
    </message>
    <message>
        <source>no permission — %1</source>
        <translation>nincs jogosultság — %1</translation>
    </message>
    <message>
        <source>in use by %1</source>
        <translation>használja: %1</translation>
    </message>
    <message>
        <source>%1 is not a serial port</source>
        <translation>%1 nem soros port</translation>
    </message>
    <message>
        <source>%1 is not a serial port (%2)</source>
        <translation>%1 nem soros port (%2)</translation>
    </message>
    <message>
        <source>%1 not found</source>
        <translation>%1 nem található</translation>
    </message>
    <message>
        <source>1 port hidden: %1</source>
        <translation>1 port rejtve: %1</translation>
    </message>
    <message>
        <source>%1 ports hidden: %2</source>
        <translation>%1 port rejtve: %2</translation>
    </message>
</context>
<context>
    <name>PortText</name>
    <message>
        <source>No port given.</source>
        <translation>Nincs megadva port.</translation>
    </message>
    <message>
        <source>%1: unknown kind of port &quot;%2://&quot;; a network port is tcp://HOST:PORT or rfc2217://HOST:PORT.</source>
        <translation>%1: ismeretlen porttípus: &quot;%2://&quot;; hálózati port: tcp://GÉP:PORT vagy rfc2217://GÉP:PORT.</translation>
    </message>
    <message>
        <source>%1: a network port is only HOST:PORT, without a path or a user.</source>
        <translation>%1: a hálózati port csak GÉP:PORT lehet, elérési út és felhasználó nélkül.</translation>
    </message>
    <message>
        <source>%1: the IPv6 address has no closing &quot;]&quot;.</source>
        <translation>%1: az IPv6-címet nem zárja &quot;]&quot;.</translation>
    </message>
    <message>
        <source>%1: no port number after the host; write %2://HOST:PORT.</source>
        <translation>%1: a gép után nincs portszám; így írja: %2://GÉP:PORT.</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; is not an IPv6 address.</source>
        <translation>%1: &quot;%2&quot; nem IPv6-cím.</translation>
    </message>
    <message>
        <source>%1: an IPv6 address stands in brackets, as in %2://[::1]:4001.</source>
        <translation>%1: az IPv6-cím szögletes zárójelbe kerül, például: %2://[::1]:4001.</translation>
    </message>
    <message>
        <source>%1: no host before the port number.</source>
        <translation>%1: a portszám előtt nincs gép.</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; is not a host name or an IPv4 address.</source>
        <translation>%1: &quot;%2&quot; nem gépnév és nem IPv4-cím.</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; is not a port number.</source>
        <translation>%1: &quot;%2&quot; nem portszám.</translation>
    </message>
    <message>
        <source>%1: the port number %2 is not between 1 and 65535.</source>
        <translation>%1: a(z) %2 portszám nincs 1 és 65535 között.</translation>
    </message>
    <message>
        <source>%1: unknown option &quot;%2&quot;; the one option is allowance_ms=N.</source>
        <translation>%1: ismeretlen beállítás: &quot;%2&quot;; az egyetlen beállítás: allowance_ms=N.</translation>
    </message>
    <message>
        <source>%1: allowance_ms must be a whole number of milliseconds from 0 to %2.</source>
        <translation>%1: az allowance_ms egész számú ezredmásodperc legyen 0 és %2 között.</translation>
    </message>
</context>
<context>
    <name>SafeFile</name>
    <message>
        <source>%1 is a link owned by another user in a shared folder; not followed.</source>
        <translation>%1 egy másik felhasználó szimbolikus hivatkozása egy közös mappában; a program nem követi.</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>nem közönséges fájl</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>The file is larger than 1 MiB: it is not a ZEPH7208 settings file, and it has been left as it was.</source>
        <translation>A fájl nagyobb 1 MiB-nál: nem ZEPH7208 beállítás fájl, ezért változatlanul maradt.</translation>
    </message>
    <message>
        <source>The file cannot be read (%1), so what else it holds could not be kept; it has been left as it was.</source>
        <translation>A fájl nem olvasható (%1), így a többi tartalma nem lenne megőrizhető; változatlanul maradt.</translation>
    </message>
</context>
<context>
    <name>UserDialogs</name>
    <message>
        <source>Error</source>
        <translation>Hiba</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Információ</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Figyelmeztetés</translation>
    </message>
</context>
<context>
    <name>Verdict</name>
    <message>
        <source>accepted</source>
        <translation>elfogadva</translation>
    </message>
    <message>
        <source>wrong address</source>
        <translation>hibás cím</translation>
    </message>
    <message>
        <source>wrong length</source>
        <translation>hibás hossz</translation>
    </message>
    <message>
        <source>bad CRC</source>
        <translation>hibás CRC</translation>
    </message>
    <message>
        <source>time-out</source>
        <translation>időtúllépés</translation>
    </message>
</context>
<context>
    <name>zeph::app::CommissioningWindow</name>
    <message>
        <source>validate</source>
        <translation>érvényesítés</translation>
    </message>
    <message>
        <source>open</source>
        <translation>megnyitás</translation>
    </message>
    <message>
        <source>read settings</source>
        <translation>beállítások kiolvasása</translation>
    </message>
    <message>
        <source>check</source>
        <translation>állapotellenőrzés</translation>
    </message>
    <message>
        <source>first initialization</source>
        <translation>1. inicializálás</translation>
    </message>
    <message>
        <source>write</source>
        <translation>beírás</translation>
    </message>
    <message>
        <source>read back</source>
        <translation>visszaolvasás</translation>
    </message>
    <message>
        <source>preset</source>
        <translation>számlálók beírása</translation>
    </message>
    <message>
        <source>read counters</source>
        <translation>számlálók kiolvasása</translation>
    </message>
    <message>
        <source>done</source>
        <translation>kész</translation>
    </message>
    <message>
        <source>not run</source>
        <translation>nem futott</translation>
    </message>
    <message>
        <source>running</source>
        <translation>fut</translation>
    </message>
    <message>
        <source>passed</source>
        <translation>sikeres</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>sikertelen</translation>
    </message>
    <message>
        <source>Commissioning</source>
        <translation>Üzembe helyezés</translation>
    </message>
    <message>
        <source>A settings file (.zsf) every device starts from</source>
        <translation>Beállítás fájl (.zsf), amelyből minden készülék kiindul</translation>
    </message>
    <message>
        <source>Template:</source>
        <translation>Sablon:</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Tallózás…</translation>
    </message>
    <message>
        <source>A CSV file with a row per device: its tag, port and settings</source>
        <translation>CSV fájl, készülékenként egy sorral: címke, port és beállítások</translation>
    </message>
    <message>
        <source>Device list:</source>
        <translation>Készüléklista:</translation>
    </message>
    <message>
        <source>New list from adapters…</source>
        <translation>Új lista az adapterekből…</translation>
    </message>
    <message>
        <source>Saves a list with a row for each serial port plugged in now</source>
        <translation>Listát ment, minden most csatlakoztatott soros porthoz egy sorral</translation>
    </message>
    <message>
        <source>Where the summary, the audit trail and the report go</source>
        <translation>Ide kerül az összesítő, az auditnapló és a jelentés</translation>
    </message>
    <message>
        <source>Output folder:</source>
        <translation>Kimeneti mappa:</translation>
    </message>
    <message>
        <source>Operator:</source>
        <translation>Kezelő:</translation>
    </message>
    <message>
        <source>Devices at once:</source>
        <translation>Egyszerre futó készülékek:</translation>
    </message>
    <message>
        <source>Initialize devices that need it</source>
        <translation>Inicializálás, ahol a készülék igényli</translation>
    </message>
    <message>
        <source>Runs the first initialization on a device that asks for it, instead of failing it</source>
        <translation>Az azt igénylő készüléken lefuttatja az 1. inicializálást, ahelyett hogy sikertelennek jelölné</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Indítás</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Leállítás</translation>
    </message>
    <message>
        <source>Each running device finishes its request under way; the devices not started are not run</source>
        <translation>Minden futó készülék befejezi a folyamatban lévő kérését; a még el nem indult készülékek nem futnak le</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Folytatás</translation>
    </message>
    <message>
        <source>Runs again into the same output folder, skipping the devices that passed there</source>
        <translation>Újra fut ugyanabba a kimeneti mappába, kihagyva az ott már sikeres készülékeket</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>Címke</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Portnév</translation>
    </message>
    <message>
        <source>Step</source>
        <translation>Lépés</translation>
    </message>
    <message>
        <source>Verdict</source>
        <translation>Eredmény</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Idő</translation>
    </message>
    <message>
        <source>Template settings file</source>
        <translation>Sablon beállítás fájl</translation>
    </message>
    <message>
        <source>ZEPH7208 Settings File (*.zsf)</source>
        <translation>ZEPH7208 beállítás fájl (*.zsf)</translation>
    </message>
    <message>
        <source>Device list</source>
        <translation>Készüléklista</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV fájlok (*.csv)</translation>
    </message>
    <message>
        <source>No serial adapter is plugged in.</source>
        <translation>Nincs csatlakoztatva soros adapter.</translation>
    </message>
    <message>
        <source>Save the new device list</source>
        <translation>Az új készüléklista mentése</translation>
    </message>
    <message>
        <source>The device list could not be saved.</source>
        <translation>A készüléklista nem menthető.</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Kimeneti mappa</translation>
    </message>
    <message>
        <source>Choose the template, the device list and the output folder first.</source>
        <translation>Előbb válassza ki a sablont, a készüléklistát és a kimeneti mappát.</translation>
    </message>
    <message>
        <source>The commissioning cannot start.</source>
        <translation>Az üzembe helyezés nem indítható.</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 passed, %2 failed, %3 not run.</source>
        <translation>%1 sikeres, %2 sikertelen, %3 nem futott.</translation>
    </message>
    <message>
        <source>Some of the output folder&apos;s files could not be written.</source>
        <translation>A kimeneti mappa néhány fájlja nem írható.</translation>
    </message>
    <message>
        <source>The report could not be written.</source>
        <translation>A jelentés nem írható.</translation>
    </message>
    <message>
        <source>Stopping: each running device finishes its request, then the window closes.</source>
        <translation>Leállítás: minden futó eszköz befejezi a kérését, majd az ablak bezárul.</translation>
    </message>
</context>
<context>
    <name>zeph::app::CountersPage</name>
    <message>
        <source>Counted pulses, time between last two pulses, modify the value of counters</source>
        <translation>Beszámolt impulzusok, utolsó két impulzus között eltelt idő [ms], kívánt számláló érték megadása</translation>
    </message>
    <message>
        <source>+ 4 billions</source>
        <translation>+ 4 milliárd</translation>
    </message>
    <message>
        <source>&gt; max. time</source>
        <translation>&gt; max. idő</translation>
    </message>
    <message>
        <source>New value for IN%1:</source>
        <translation>Kívánt érték %1:</translation>
    </message>
    <message>
        <source>Double click: set value to zero</source>
        <translation>Dupla kattintás: kívánt érték = 0</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Kijelöl</translation>
    </message>
    <message>
        <source>Pulses per second over the reports of the last %1 s</source>
        <translation>Impulzus másodpercenként az utolsó %1 s jelentései alapján</translation>
    </message>
    <message>
        <source>Write selected values to instrument</source>
        <translation>Kijelölt számláló értékek készülékbe írása</translation>
    </message>
    <message>
        <source>NAMUR errors (The red background color inicates the error state.)</source>
        <translation>NAMUR hibák (A hibás bemeneteket vörös háttér jelzi az adott hibatípus szövege mögött.)</translation>
    </message>
    <message>
        <source>Open</source>
        <comment>NAMUR error: open circuit</comment>
        <translation>Szakadás</translation>
    </message>
    <message>
        <source>Shorted</source>
        <translation>Zárlat</translation>
    </message>
    <message>
        <source>Invalid settings</source>
        <translation>A beállítások megsérültek</translation>
    </message>
    <message>
        <source>Invalid counted values</source>
        <translation>A mért adatok elvesztek</translation>
    </message>
    <message>
        <source>8.2 V NAMUR power error</source>
        <translation>8,2 V tápfeszültség hiba</translation>
    </message>
    <message>
        <source>MODBUS module error</source>
        <translation>A modul hiányzik v. hibás</translation>
    </message>
    <message>
        <source>Not MODBUS module</source>
        <translation>Inkompatibilis modul</translation>
    </message>
    <message>
        <source>NAMUR input error</source>
        <translation>NAMUR bemeneti hiba</translation>
    </message>
    <message>
        <source>Counter &gt; 4 billions</source>
        <translation>Számláló &gt; 4 milliárd</translation>
    </message>
    <message>
        <source>Time &gt; max. enabled</source>
        <translation>Idő &gt; maximális megengedett</translation>
    </message>
    <message>
        <source>Current error states</source>
        <translation>Jelenlegi hiba jelzések</translation>
    </message>
    <message>
        <source>Error states until cleared</source>
        <translation>Törlésig megőrződő hiba jelzések</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Törlés</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Adatok frissítése</translation>
    </message>
    <message>
        <source>Continuous refresh</source>
        <translation>Folyamatos adatfrissítés</translation>
    </message>
    <message>
        <source>Fast</source>
        <translation>Gyors</translation>
    </message>
    <message>
        <source>Reads the counters back to back, as fast as the line allows: each read 1.8 ms after the device&apos;s last answer instead of 20 ms</source>
        <translation>Egymás után, szünet nélkül olvassa a számlálókat, amilyen gyorsan a vonal engedi: minden olvasás 20 ms helyett 1,8 ms-mal a készülék utolsó válasza után</translation>
    </message>
    <message>
        <source>Record counters…</source>
        <translation>Számlálók naplózása…</translation>
    </message>
    <message>
        <source>Writes every counter report shown into a CSV file</source>
        <translation>Minden megjelenített számlálójelentést CSV fájlba ír</translation>
    </message>
    <message>
        <source>History…</source>
        <translation>Előzmények…</translation>
    </message>
    <message>
        <source>The rates and counters over time, live or from a counter log</source>
        <translation>A ráták és a számlálók az idő függvényében, élőben vagy számlálónaplóból</translation>
    </message>
    <message>
        <source>First initialization</source>
        <translation>1. inicializálás</translation>
    </message>
    <message>
        <source>Data source at startup:</source>
        <translation>Indításkori adatforrás: </translation>
    </message>
    <message>
        <source>The counter log cannot be written.</source>
        <translation>A számlálónapló nem írható.</translation>
    </message>
    <message>
        <source>Record counters</source>
        <translation>Számlálók naplózása</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV fájlok (*.csv)</translation>
    </message>
    <message>
        <source>Recording to %1</source>
        <translation>Naplózás ide: %1</translation>
    </message>
    <message>
        <source>Recording counters to %1</source>
        <translation>Számlálók naplózása: %1</translation>
    </message>
    <message>
        <source>Recording counters to %1: 1 row</source>
        <translation>Számlálók naplózása: %1, 1 sor</translation>
    </message>
    <message>
        <source>Recording counters to %1: %2 rows</source>
        <translation>Számlálók naplózása: %1, %2 sor</translation>
    </message>
</context>
<context>
    <name>zeph::app::FrameMonitor</name>
    <message>
        <source>Frame monitor</source>
        <translation>Keretfigyelő</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Szünet</translation>
    </message>
    <message>
        <source>Holds new rows back until pressed again; nothing is lost</source>
        <translation>Az új sorokat visszatartja, amíg újra meg nem nyomják; semmi sem vész el</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Törlés</translation>
    </message>
    <message>
        <source>Save…</source>
        <translation>Mentés…</translation>
    </message>
    <message>
        <source>Saves the rows shown as text, or as CSV for a name ending in .csv</source>
        <translation>A látható sorokat szövegként menti, .csv végű névnél CSV-ként</translation>
    </message>
    <message>
        <source>Select a row to see it in full.</source>
        <translation>Jelöljön ki egy sort, hogy teljes egészében lássa.</translation>
    </message>
    <message>
        <source>%1 rows; the latest %2 are kept</source>
        <translation>%1 sor; a legutóbbi %2 marad meg</translation>
    </message>
    <message>
        <source>; paused, %1 new rows held back</source>
        <translation>; szünetel, %1 új sor visszatartva</translation>
    </message>
    <message>
        <source>
Bytes (%1): %2
Line characters (%3): %4</source>
        <translation>
Bájtok (%1): %2
Vonali karakterek (%3): %4</translation>
    </message>
    <message>
        <source>Save the frame monitor&apos;s rows</source>
        <translation>A keretfigyelő sorainak mentése</translation>
    </message>
    <message>
        <source>Text files (*.txt);;CSV files (*.csv)</source>
        <translation>Szövegfájlok (*.txt);;CSV fájlok (*.csv)</translation>
    </message>
    <message>
        <source>The rows could not be saved.</source>
        <translation>A sorokat nem sikerült menteni.</translation>
    </message>
    <message>
        <source>1 row; the latest %1 are kept</source>
        <translation>1 sor; a legutóbbi %1 marad meg</translation>
    </message>
    <message>
        <source>; paused, 1 new row held back</source>
        <translation>; szünetel, 1 új sor visszatartva</translation>
    </message>
</context>
<context>
    <name>zeph::app::FrameMonitorModel</name>
    <message>
        <source>Time [ms]</source>
        <translation>Idő [ms]</translation>
    </message>
    <message>
        <source>Dir</source>
        <translation>Irány</translation>
    </message>
    <message>
        <source>Line characters</source>
        <translation>Vonali karakterek</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>Bájtok</translation>
    </message>
    <message>
        <source>Verdict</source>
        <translation>Értékelés</translation>
    </message>
</context>
<context>
    <name>zeph::app::FrameRecorder</name>
    <message>
        <source>%1 of %2 bytes</source>
        <translation>%1 / %2 bájt</translation>
    </message>
    <message>
        <source>time-out, nothing received</source>
        <translation>időtúllépés, semmi sem érkezett</translation>
    </message>
    <message>
        <source>time-out with too little: %1</source>
        <translation>időtúllépés, túl kevés érkezett: %1</translation>
    </message>
    <message>
        <source>time-out with %1, rejected: %2</source>
        <translation>időtúllépés %1 után, elutasítva: %2</translation>
    </message>
    <message>
        <source>rejected: %1</source>
        <translation>elutasítva: %1</translation>
    </message>
    <message>
        <source>status %1 alone at the time-out</source>
        <translation>csak %1 állapotkód az időtúllépéskor</translation>
    </message>
    <message>
        <source>answer with status %1</source>
        <translation>válasz %1 állapotkóddal</translation>
    </message>
    <message>
        <source>accepted</source>
        <translation>elfogadva</translation>
    </message>
    <message>
        <source> (not a ZEPH7208)</source>
        <translation> (nem ZEPH7208)</translation>
    </message>
    <message>
        <source>, %1 bytes before it ignored</source>
        <translation>, az előtte érkezett %1 bájt figyelmen kívül</translation>
    </message>
    <message>
        <source>port %1 opened, %2</source>
        <translation>%1 port megnyitva, %2</translation>
    </message>
    <message>
        <source>port %1 closed</source>
        <translation>%1 port bezárva</translation>
    </message>
    <message>
        <source>port %1 lost: the other end hung up</source>
        <translation>%1 port elveszett: a másik oldal bontott</translation>
    </message>
    <message>
        <source>abandoned</source>
        <translation>félbehagyva</translation>
    </message>
    <message>
        <source>, attempt %1 of %2</source>
        <translation>, %1. kísérlet a %2-ből</translation>
    </message>
    <message>
        <source>%1: not sent, the port refused the write</source>
        <translation>%1: nincs elküldve, a port nem fogadta az írást</translation>
    </message>
    <message>
        <source>unsolicited</source>
        <translation>kéretlen</translation>
    </message>
    <message>
        <source>; gave up after %1 attempts</source>
        <translation>; feladva %1 kísérlet után</translation>
    </message>
    <message>
        <source>; retry %1 of %2</source>
        <translation>; %1. ismétlés a %2-ből</translation>
    </message>
    <message>
        <source>abandoned, nothing received</source>
        <translation>félbehagyva, semmi sem érkezett</translation>
    </message>
</context>
<context>
    <name>zeph::app::HistoryPlot</name>
    <message>
        <source>Pulse rate, pulses per second</source>
        <translation>Impulzusráta, impulzus másodpercenként</translation>
    </message>
    <message>
        <source>Counter</source>
        <translation>Számláló</translation>
    </message>
</context>
<context>
    <name>zeph::app::HistoryWindow</name>
    <message>
        <source>History of the counts</source>
        <translation>A számlálások előzményei</translation>
    </message>
    <message>
        <source>&amp;Open counter log…</source>
        <translation>Számlálónapló &amp;megnyitása…</translation>
    </message>
    <message>
        <source>Shows a recorded counter log (CSV) instead of the live readings</source>
        <translation>Rögzített számlálónaplót (CSV) mutat az élő adatok helyett</translation>
    </message>
    <message>
        <source>&amp;Live</source>
        <translation>É&amp;lő adatok</translation>
    </message>
    <message>
        <source>Back to the readings of the continuous refresh</source>
        <translation>Vissza a folyamatos adatfrissítés adataihoz</translation>
    </message>
    <message>
        <source>Last &amp;5 minutes</source>
        <translation>Utolsó &amp;5 perc</translation>
    </message>
    <message>
        <source>Last &amp;hour</source>
        <translation>Utolsó ó&amp;ra</translation>
    </message>
    <message>
        <source>Last &amp;day</source>
        <translation>Utolsó &amp;nap</translation>
    </message>
    <message>
        <source>&amp;All</source>
        <translation>Min&amp;d</translation>
    </message>
    <message>
        <source>&amp;Follow</source>
        <translation>&amp;Követés</translation>
    </message>
    <message>
        <source>Keeps the newest readings in view; looking back pauses it (End resumes)</source>
        <translation>A legújabb adatokat tartja szem előtt; visszanézéskor szünetel (az End folytatja)</translation>
    </message>
    <message>
        <source>P&amp;NG…</source>
        <translation>&amp;PNG kép…</translation>
    </message>
    <message>
        <source>Saves the plots as a PNG picture</source>
        <translation>A grafikonokat PNG képként menti</translation>
    </message>
    <message>
        <source>S&amp;VG…</source>
        <translation>&amp;SVG rajz…</translation>
    </message>
    <message>
        <source>Saves the plots as an SVG drawing</source>
        <translation>A grafikonokat SVG rajzként menti</translation>
    </message>
    <message>
        <source>&amp;CSV…</source>
        <translation>&amp;CSV fájl…</translation>
    </message>
    <message>
        <source>Saves the readings of the range shown as CSV</source>
        <translation>A látható tartomány adatait CSV fájlba menti</translation>
    </message>
    <message>
        <source>IN&amp;%1</source>
        <translation>IN&amp;%1</translation>
    </message>
    <message>
        <source>○ overflow (the counter wrapped)
▼ drop (a preset, lost counts)
hatched: no readings</source>
        <translation>○ túlcsordulás (a számláló körbefordult)
▼ visszaesés (előbeállítás, elveszett impulzusok)
sraffozott: nincs adat</translation>
    </message>
    <message>
        <source>Input</source>
        <translation>Bemenet</translation>
    </message>
    <message>
        <source>Last rate</source>
        <translation>Utolsó ráta</translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation>Legkisebb</translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation>Legnagyobb</translation>
    </message>
    <message>
        <source>Counter</source>
        <translation>Számláló</translation>
    </message>
    <message>
        <source>Gaps, overflows, drops</source>
        <translation>Hiányok, túlcsordulások, visszaesések</translation>
    </message>
    <message>
        <source>Pulse rate plot</source>
        <translation>Impulzusráta grafikon</translation>
    </message>
    <message>
        <source>Counter plot</source>
        <translation>Számláló grafikon</translation>
    </message>
    <message>
        <source>Wheel or + and −: zoom; drag or the arrow keys: move; Home, End: the start, the end</source>
        <translation>Görgő vagy + és −: nagyítás; húzás vagy a nyílbillentyűk: mozgatás; Home, End: az eleje, a vége</translation>
    </message>
    <message>
        <source>Summary per input</source>
        <translation>Összesítés bemenetenként</translation>
    </message>
    <message>
        <source>What is shown</source>
        <translation>Ami látható</translation>
    </message>
    <message>
        <source>Show IN%1</source>
        <translation>IN%1 megjelenítése</translation>
    </message>
    <message>
        <source>1 gap</source>
        <translation>1 hiány</translation>
    </message>
    <message>
        <source>%1 gaps</source>
        <translation>%1 hiány</translation>
    </message>
    <message>
        <source>IN%1: last %2, minimum %3, maximum %4, %5</source>
        <translation>IN%1: utolsó %2, legkisebb %3, legnagyobb %4, %5</translation>
    </message>
    <message>
        <source>IN%1: no rate, %2</source>
        <translation>IN%1: nincs ráta, %2</translation>
    </message>
    <message>
        <source>IN%1: last %2, overflows: %3, drops: %4, %5</source>
        <translation>IN%1: utolsó %2, túlcsordulások: %3, visszaesések: %4, %5</translation>
    </message>
    <message>
        <source>IN%1: no readings</source>
        <translation>IN%1: nincs adat</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 – %2</translation>
    </message>
    <message>
        <source>Counter log %1: %2 rows</source>
        <translation>Számlálónapló %1: %2 sor</translation>
    </message>
    <message>
        <source>Live readings: %1 rows</source>
        <translation>Élő adatok: %1 sor</translation>
    </message>
    <message>
        <source>Open counter log</source>
        <translation>Számlálónapló megnyitása</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV fájlok (*.csv)</translation>
    </message>
    <message>
        <source>Reading %1…</source>
        <translation>%1 olvasása…</translation>
    </message>
    <message>
        <source>The counter log cannot be shown.</source>
        <translation>A számlálónapló nem jeleníthető meg.</translation>
    </message>
    <message>
        <source>Save the plots as SVG</source>
        <translation>A grafikonok mentése SVG-ként</translation>
    </message>
    <message>
        <source>SVG drawings (*.svg)</source>
        <translation>SVG rajzok (*.svg)</translation>
    </message>
    <message>
        <source>Save the plots as PNG</source>
        <translation>A grafikonok mentése PNG-ként</translation>
    </message>
    <message>
        <source>PNG pictures (*.png)</source>
        <translation>PNG képek (*.png)</translation>
    </message>
    <message>
        <source>The picture cannot be saved.</source>
        <translation>A kép nem menthető.</translation>
    </message>
    <message>
        <source>Save the range shown as CSV</source>
        <translation>A látható tartomány mentése CSV-ként</translation>
    </message>
    <message>
        <source>The readings cannot be saved.</source>
        <translation>Az adatok nem menthetők.</translation>
    </message>
</context>
<context>
    <name>zeph::app::NetworkPortDialog</name>
    <message>
        <source>&amp;Raw TCP (tcp://)</source>
        <translation>&amp;Nyers TCP (tcp://)</translation>
    </message>
    <message>
        <source>RFC &amp;2217, the server sets the port</source>
        <translation>RFC &amp;2217, a szerver állítja be a portot</translation>
    </message>
    <message>
        <source>Add network port</source>
        <translation>Hálózati port hozzáadása</translation>
    </message>
    <message>
        <source>The serial server&apos;s host name or IP address</source>
        <translation>A soros szerver gépneve vagy IP-címe</translation>
    </message>
    <message>
        <source>The serial server&apos;s TCP port, 1 to 65535</source>
        <translation>A soros szerver TCP-portja, 1 és 65535 között</translation>
    </message>
    <message>
        <source>The characters go to and fro as they are</source>
        <translation>A karakterek változatlanul mennek oda-vissza</translation>
    </message>
    <message>
        <source>Telnet with RFC 2217: the server sets its serial port to 19200 baud 8N1</source>
        <translation>Telnet RFC 2217 szerint: a szerver 19200 baud 8N1-re állítja a soros portját</translation>
    </message>
    <message>
        <source>the line&apos;s default</source>
        <translation>a vonal alapértéke</translation>
    </message>
    <message>
        <source>Milliseconds the network adds to the time an answer may take; empty for the line&apos;s default</source>
        <translation>Ennyi ezredmásodperccel tovább várhat egy válasz a hálózat miatt; üresen a vonal alapértéke</translation>
    </message>
    <message>
        <source>&amp;Host:</source>
        <translation>&amp;Gazdagép:</translation>
    </message>
    <message>
        <source>&amp;Port:</source>
        <translation>&amp;Port:</translation>
    </message>
    <message>
        <source>Kind:</source>
        <translation>Fajta:</translation>
    </message>
    <message>
        <source>&amp;Allowance for answers, ms:</source>
        <translation>&amp;Türelmi idő válaszra, ms:</translation>
    </message>
    <message>
        <source>Kind: %1</source>
        <translation>Fajta: %1</translation>
    </message>
</context>
<context>
    <name>zeph::app::PortGroup</name>
    <message>
        <source>List of serial ports</source>
        <translation>Soros portok listája</translation>
    </message>
    <message>
        <source>Refresh list</source>
        <translation>A lista frissítése</translation>
    </message>
    <message>
        <source>Add network port…</source>
        <translation>Hálózati port hozzáadása…</translation>
    </message>
    <message>
        <source>A serial server on the network, reached as tcp://HOST:PORT or rfc2217://HOST:PORT</source>
        <translation>Soros szerver a hálózaton, elérése: tcp://HOST:PORT vagy rfc2217://HOST:PORT</translation>
    </message>
    <message>
        <source>Remove network port</source>
        <translation>Hálózati port eltávolítása</translation>
    </message>
    <message>
        <source>Takes the selected network port off the list (Delete)</source>
        <translation>A kijelölt hálózati portot leveszi a listáról (Delete)</translation>
    </message>
    <message>
        <source>Open serial port</source>
        <translation>Soros port megnyitás</translation>
    </message>
    <message>
        <source>Close serial port</source>
        <translation>Soros port bezárás</translation>
    </message>
    <message>
        <source>Read before %1 was disconnected at %2; the next good read replaces them.</source>
        <translation>A(z) %1 leválasztása (%2) előtt kiolvasott adatok; a következő sikeres kiolvasás felváltja őket.</translation>
    </message>
    <message>
        <source>The connection to %1 was lost.</source>
        <translation>Megszakadt a kapcsolat ezzel: %1.</translation>
    </message>
    <message>
        <source>The serial port %1 was disconnected.</source>
        <translation>A(z) %1 soros port leválasztásra került.</translation>
    </message>
    <message>
        <source>No serial port is selected in the list.</source>
        <translation>Nincs soros port kijelölve a listában.</translation>
    </message>
    <message>
        <source>Network port (RFC 2217)</source>
        <translation>Hálózati port (RFC 2217)</translation>
    </message>
    <message>
        <source>Network port (raw TCP)</source>
        <translation>Hálózati port (nyers TCP)</translation>
    </message>
</context>
<context>
    <name>zeph::app::RightPanel</name>
    <message>
        <source>ZEPH7208 Settings File (*.zsf)</source>
        <translation>ZEPH7208 beállítás fájl (*.zsf)</translation>
    </message>
    <message>
        <source>The save operation is failed.</source>
        <translation>A mentés nem sikerült.</translation>
    </message>
    <message>
        <source>Check the write-protected mode in storage and there is enough free space on it.</source>
        <translation>Ellenőrizze, hogy a tároló nem írásvédett-e, és van-e rajta elég szabad hely.</translation>
    </message>
    <message>
        <source>Frame monitor</source>
        <translation>Keretfigyelő</translation>
    </message>
    <message>
        <source>Every frame on the line with the verdict on each answer (F12)</source>
        <translation>A vonal minden kerete, minden válasz értékelésével (F12)</translation>
    </message>
    <message>
        <source>Commissioning…</source>
        <translation>Üzembe helyezés…</translation>
    </message>
    <message>
        <source>Sets up many devices from a template settings file and a device list, with a report</source>
        <translation>Sok készüléket állít be egy sablon beállítás fájlból és egy készüléklistából, jelentéssel együtt</translation>
    </message>
    <message>
        <source>Open settings file</source>
        <translation>Beállítás fájl megnyitása</translation>
    </message>
    <message>
        <source>Save settings to file</source>
        <translation>Beállítások fájlba mentése</translation>
    </message>
    <message>
        <source>Read factory defaults from instrument</source>
        <translation>Gyári alapértékek kiolvasása</translation>
    </message>
    <message>
        <source>Read settings from instrument</source>
        <translation>Beállítások kiolvasása a készülékből</translation>
    </message>
    <message>
        <source>Write settings to instrument</source>
        <translation>Beállítások készülékbe írása</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Nyelv</translation>
    </message>
    <message>
        <source>The window changes its language at the next start.</source>
        <translation>Az ablak a következő indításkor vált nyelvet.</translation>
    </message>
    <message>
        <source>Settings   Last used file: %1</source>
        <translation>Beállítások   Utoljára használt fájl: %1</translation>
    </message>
    <message>
        <source>Cannot read %1: %2.</source>
        <translation>A(z) %1 nem olvasható: %2.</translation>
    </message>
    <message>
        <source>This file is not a ZEPH7208 settings.</source>
        <translation>Ez a fájl nem ZEPH7208 beállítás fájl.</translation>
    </message>
</context>
<context>
    <name>zeph::app::SessionStatusBar</name>
    <message>
        <source>Port closed</source>
        <translation>Port zárva</translation>
    </message>
    <message>
        <source>Port %1, %2</source>
        <translation>%1 port, %2</translation>
    </message>
    <message>
        <source>Port %1 lost: the other end hung up</source>
        <translation>%1 port elveszett: a másik oldal bontott</translation>
    </message>
    <message>
        <source>%1: %2 in %3 ms at %4</source>
        <translation>%1: %2, %3 ms alatt, %4-kor</translation>
    </message>
    <message>
        <source>%1 report</source>
        <translation>%1 jelentés</translation>
    </message>
    <message>
        <source>%1 reports</source>
        <translation>%1 jelentés</translation>
    </message>
    <message>
        <source>%1 retry</source>
        <translation>%1 ismétlés</translation>
    </message>
    <message>
        <source>%1 retries</source>
        <translation>%1 ismétlés</translation>
    </message>
    <message>
        <source>%1 failure</source>
        <translation>%1 hiba</translation>
    </message>
    <message>
        <source>%1 failures</source>
        <translation>%1 hiba</translation>
    </message>
    <message>
        <source>Continuous refresh: %1</source>
        <translation>Folyamatos adatfrissítés: %1</translation>
    </message>
    <message>
        <source>Continuous refresh stopped: %1</source>
        <translation>Folyamatos adatfrissítés leállítva: %1</translation>
    </message>
</context>
<context>
    <name>zeph::app::SettingsPage</name>
    <message>
        <source>Data source at startup:</source>
        <translation>Indításkori adatforrás: </translation>
    </message>
    <message>
        <source>First initialization</source>
        <translation>1. inicializálás</translation>
    </message>
    <message>
        <source>Input %1</source>
        <translation>IN%1 (#%1 bemenet)</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Bemenet típus</translation>
    </message>
    <message>
        <source>Contact</source>
        <translation>Kontaktus</translation>
    </message>
    <message>
        <source>Counted event</source>
        <translation>Számlálandó</translation>
    </message>
    <message>
        <source>Close</source>
        <comment>counted event: closings</comment>
        <translation>Zárások</translation>
    </message>
    <message>
        <source>Open</source>
        <comment>counted event: openings</comment>
        <translation>Nyitások</translation>
    </message>
    <message>
        <source>Debounced</source>
        <translation>Bemenet</translation>
    </message>
    <message>
        <source>input</source>
        <comment>second line of &quot;Debounced&quot;</comment>
        <translation>pergésmentesítés</translation>
    </message>
    <message>
        <source>Max. time between pulses [ms]:</source>
        <translation>Max. idő 2 impulzus között [ms]:</translation>
    </message>
    <message>
        <source>Parity</source>
        <translation>Paritás bit</translation>
    </message>
    <message>
        <source>None</source>
        <comment>parity</comment>
        <translation>Nincs (None)</translation>
    </message>
    <message>
        <source>Even</source>
        <comment>parity</comment>
        <translation>Páros (Even)</translation>
    </message>
    <message>
        <source>Odd</source>
        <comment>parity</comment>
        <translation>Páratlan (Odd)</translation>
    </message>
    <message>
        <source>Baud rate</source>
        <translation>Adatátviteli sebesség</translation>
    </message>
    <message>
        <source>Address [1-247]:</source>
        <translation>Készülékcím [1-247]:</translation>
    </message>
    <message>
        <source>Comm. timeout [10 ms]:</source>
        <translation>Időkorlát [10 ms]:</translation>
    </message>
    <message>
        <source>Answer delay [ms]:</source>
        <translation>Válasz késl. [ms]:</translation>
    </message>
    <message>
        <source>Pull up and pull down R</source>
        <translation>RS-485 fel-, lehúzó R</translation>
    </message>
    <message>
        <source>Termination resistor</source>
        <translation>RS-485 lezáró R</translation>
    </message>
</context>
<context>
    <name>zeph::app::TForm_Main</name>
    <message>
        <source>ZEPH7208 configurator   v%1   Velmar Kft.</source>
        <translation>ZEPH7208 konfigurátor   v%1   Velmar Kft.</translation>
    </message>
    <message>
        <source>The simulated device could not be started.</source>
        <translation>A szimulált készüléket nem sikerült elindítani.</translation>
    </message>
    <message>
        <source>Shortcut: %1</source>
        <translation>Gyorsbillentyű: %1</translation>
    </message>
    <message>
        <source>ZEPH7208 Pulse Collector</source>
        <translation>ZEPH7208 impulzusgyűjtő</translation>
    </message>
    <message>
        <source>General settings</source>
        <translation>Beállítások</translation>
    </message>
    <message>
        <source>Counted pulses, Error messages</source>
        <translation>Beszámolt impulzusok, hibaüzenetek</translation>
    </message>
</context>
</TS>
