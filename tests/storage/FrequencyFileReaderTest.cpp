#include <sys/stat.h>

#include "FrequencyFixture.h"

#include <random>

#include "core/Text.h"

using namespace rigvane;

using ReaderTest = FrequencyFixture;

TEST_F(ReaderTest, ChannelLinesSetEveryFieldAndFlag) {
    ReadString("005 0145.50000 FM 00000 00000 S00 TS 0000000000 VLD NDLY Fire dispatch\n"
               "6 145.5 FM\n"
               "1000 0145.50000 FM 00000 00000 NDLY x\n"
               "007 0030.00000 AM 00012 00034 PL 42 0 0 S05 TSTAMP 86400 SYNC ntch pamp trunk av "
               "agcs nbw TONE2 TONE3 BW9 valid atten rsm DLY  two  blanks \n"
               "008 0030.00000 usb 10 20 S99 AGCF A2 TR NBN BW3 TONE1 DELAY\n"
               "009 0030.00000 LSB 25000 -4 VLD DLY kept after a bad count\n"
               "010 0030.00000 12 5 5 VLD DLY x\n"
               "011 0030.00000 XYZ 5 5 S-3 PL 50 7 NDLY\n"
               "012 0030.00000 FM 5\n");
    const auto& ch = Mem.Channels;
    EXPECT_EQ(ch[5].Frequency, 14550000);
    EXPECT_EQ(ch[5].Mode, 1);
    EXPECT_TRUE(ch[5].Valid);
    EXPECT_FALSE(ch[5].Delay);
    EXPECT_EQ(ch[5].Service, "Fire dispatch");

    // Three fields: an error, but the frequency read so far stays; the mode
    // (the last word) is not applied.
    EXPECT_EQ(ch[6].Frequency, 14550000);
    EXPECT_EQ(ch[6].Mode, 2);
    EXPECT_TRUE(HasMessage("Record 2 in Error!"));
    EXPECT_TRUE(HasMessage("Record 3 Range Error!"));

    const Channel& c = ch[7];
    EXPECT_EQ(c.Mode, 4);
    EXPECT_EQ(c.Count, 12);
    EXPECT_EQ(c.ActiveTime, 34);
    EXPECT_EQ(c.Tone1, 42);
    EXPECT_EQ(c.Tone2, 0);
    EXPECT_EQ(c.Signal, 5);
    EXPECT_EQ(c.TimeStamp, 86400);
    EXPECT_TRUE(c.Sync && c.Notch && c.Preamp && c.Trunked && c.Tone2On && c.Tone3On);
    EXPECT_TRUE(c.Valid && c.Atten && c.Resume && c.Delay);
    EXPECT_EQ(c.Antenna, 1);
    EXPECT_EQ(c.Agc, 1);
    EXPECT_EQ(c.NoiseBlank, 2);
    EXPECT_EQ(c.Bandwidth, 6);
    EXPECT_EQ(c.Service, " two  blanks "); // everything after the delay token's blank

    EXPECT_EQ(ch[8].Mode, 6);
    EXPECT_EQ(ch[8].Signal, 13);
    EXPECT_EQ(ch[8].Agc, 2);
    EXPECT_EQ(ch[8].Antenna, 2);
    EXPECT_EQ(ch[8].NoiseBlank, 1);
    EXPECT_EQ(ch[8].Bandwidth, 3);
    EXPECT_TRUE(ch[8].Trunked && ch[8].Notch);
    EXPECT_TRUE(ch[8].Delay); // a last word DELAY still counts
    EXPECT_EQ(ch[8].Service, "");

    // Statistics out of range are clamped, the rest of the line is still read.
    EXPECT_EQ(ch[9].Count, 10000);
    EXPECT_EQ(ch[9].ActiveTime, 0);
    EXPECT_TRUE(ch[9].Valid);
    EXPECT_EQ(ch[9].Service, "kept after a bad count");
    EXPECT_TRUE(HasMessage("Record 6 Range Error!"));

    EXPECT_EQ(ch[10].Frequency, 3000000); // a numeric mode of 9 or more stops the line
    EXPECT_FALSE(ch[10].Valid);
    EXPECT_TRUE(HasMessage("Record 7 Range Error!"));

    EXPECT_EQ(ch[11].Mode, 0);
    EXPECT_EQ(ch[11].Signal, 0);
    EXPECT_EQ(ch[11].Tone1, 0); // 50 is consumed and ignored
    EXPECT_EQ(ch[11].Tone2, 7);
    EXPECT_EQ(ch[12].Count, 0); // the last word is not applied, the line is accepted
    EXPECT_FALSE(HasMessage("Record 9 in Error!"));
    EXPECT_FALSE(HasMessage("Record 1 in Error!"));

    EXPECT_EQ(Mem.Channels[999], BlankChannel); // 1000 changed nothing
    EXPECT_TRUE(HasMessage("Processed Frequency File " + PathOf("test.frq")));
}

TEST_F(ReaderTest, BankAndTrunkLines) {
    Mem.ScanBanks[5].Valid = true;
    ReadString("@ 3 10 20 SCAN Fire\n"
               "@   004  001  002 NOSCAN Two words \n"
               "@ 5 1 2 SCAN\n"
               "@ 6 1 -2 SCAN x\n"
               "@ 100 1 2 SCAN x\n"
               "@ 7 1 1000 SCAN x\n"
               "# 2 0118.00000 0137.00000 0000.02500 AM SEARCH Air\n"
               "# 3 118 -137 0.025 AM SEARCH x\n"
               "# 4 0118.00000 0137.00000 0000.02500 n/a NOSEARCH \n"
               "% 1 EDACS YNNNN 013\n"
               "%2 Not Set YNNNN 29\n"
               "%10 EDACS YNNNN 1\n"
               "& 17 1234 00003 00004 S02 TS 0000000100 VLD ATT RSM DLY Police\n"
               "&1000 1 2 3 NDLY\n");
    const auto& sb = Mem.ScanBanks;
    EXPECT_EQ(sb[3].Lower, 10);
    EXPECT_EQ(sb[3].Upper, 20);
    EXPECT_TRUE(sb[3].Valid);
    EXPECT_EQ(sb[3].Service, "Fire");
    EXPECT_FALSE(sb[4].Valid);
    EXPECT_EQ(sb[4].Service, "Two words ");
    EXPECT_TRUE(sb[5].Valid); // a last word SCAN
    EXPECT_EQ(sb[5].Service, "");
    EXPECT_TRUE(HasMessage("Record 4 Range Error!"));
    EXPECT_TRUE(HasMessage("Record 5 Range Error!"));
    EXPECT_TRUE(HasMessage("Record 6 Range Error!")); // no channel 1000 to scan

    const Channel& air = Mem.SearchBanks[2];
    EXPECT_EQ(air.Lower, 11800000);
    EXPECT_EQ(air.Upper, 13700000);
    EXPECT_EQ(air.Step, 2500);
    EXPECT_EQ(air.Mode, 4);
    EXPECT_TRUE(air.Valid);
    EXPECT_EQ(air.Service, "Air");
    EXPECT_TRUE(HasMessage("Record 8 Range Error!"));
    EXPECT_EQ(Mem.SearchBanks[4].Mode, 0);
    EXPECT_FALSE(Mem.SearchBanks[4].Valid);

    const TrunkBank& t = Mem.TrunkBanks[1];
    EXPECT_EQ(t.SystemType, 6);
    EXPECT_TRUE(t.ScanEnabled);
    EXPECT_TRUE(t.IdBankEnabled[0] && t.IdBankEnabled[1] && t.IdBankEnabled[3]);
    EXPECT_FALSE(t.IdBankEnabled[2]);
    // A bank without a type is written "Not Set": the two words are one field.
    EXPECT_EQ(Mem.TrunkBanks[2].SystemType, 0);
    EXPECT_TRUE(Mem.TrunkBanks[2].ScanEnabled);
    EXPECT_TRUE(Mem.TrunkBanks[2].IdBankEnabled[2] && Mem.TrunkBanks[2].IdBankEnabled[9]);
    EXPECT_TRUE(HasMessage("Record 12 Range Error!"));

    const TrunkId& id = Mem.TrunkIds[17];
    EXPECT_EQ(id.Id, "1234");
    EXPECT_EQ(id.Count, 3);
    EXPECT_EQ(id.ActiveTime, 4);
    EXPECT_EQ(id.Signal, 2);
    EXPECT_EQ(id.TimeStamp, 100);
    EXPECT_TRUE(id.Valid && id.Atten && id.Resume && id.Delay);
    EXPECT_EQ(id.Service, "Police");
    EXPECT_TRUE(HasMessage("Record 14 Range Error!"));

    // Each data line asks the editor showing that entry to redisplay.
    EXPECT_NE(std::find(Changed.begin(), Changed.end(), std::make_pair(EntryKind::ScanBank, 3)),
              Changed.end());
    EXPECT_NE(std::find(Changed.begin(), Changed.end(), std::make_pair(EntryKind::TrunkId, 17)),
              Changed.end());
    EXPECT_GE(Refreshes, 1);
}

TEST_F(ReaderTest, LineEndsNumberingAndComments) {
    // CR LF, LF and CR alone; blank and comment lines count; a comment after a
    // bad line gets no message; a byte-order mark does not hide the first line.
    ReadString("\xEF\xBB\xBF"
               "001 0001.00000 FM 0 0 NDLY a\r\n"
               "5 1\r"
               "* comment\n"
               "\n"
               "   002 0002.00000 FM 0 0 NDLY b\r"
               "003 0003.00000 FM 0 0 NDLY c");
    EXPECT_EQ(Mem.Channels[1].Service, "a");
    EXPECT_EQ(Mem.Channels[2].Service, "b");
    EXPECT_EQ(Mem.Channels[3].Service, "c");
    const std::vector<std::string> expected = {"Processed Frequency File " + PathOf("test.frq"),
                                               "Record 2 in Error!"};
    EXPECT_EQ(Messages(), expected);
}

TEST_F(ReaderTest, SwitchAndValueKeywords) {
    ReadString("bank on\nDELAY 7\nPDELAY 12\nRESUME 30\nPRIORITY 42\nPRIORITY ON\nRESUME ON\n"
               "DELAY 10000\nPDELAY 99999999\nRESUME x\nPRIORITY 1000\nBANK maybe\n"
               "WHATEVER 1 2 3\n");
    const Globals& g = Config.Global;
    EXPECT_TRUE(g.UseBanks);
    EXPECT_EQ(g.DlyTime, 7);
    EXPECT_EQ(g.PriorTime, 12);
    EXPECT_EQ(g.RsmTime, 30);
    EXPECT_EQ(g.PriorityChannel, 42);
    EXPECT_TRUE(g.Priority);
    EXPECT_NE(g.SigRsm, 0);
    for (int line = 8; line <= 12; ++line)
        EXPECT_TRUE(HasMessage("Record " + std::to_string(line) + " Range Error!")) << line;
    EXPECT_FALSE(HasMessage("Record 13 Range Error!")); // unknown keywords are ignored
    EXPECT_EQ(std::count(Actions.Calls.begin(), Actions.Calls.end(), "settings"), 7);

    ReadString("BANK OFF\nPRIORITY OFF\nRESUME OFF\n");
    EXPECT_FALSE(g.UseBanks);
    EXPECT_FALSE(g.Priority);
    EXPECT_EQ(g.SigRsm, 0);
}

TEST_F(ReaderTest, ModeAndTuningKeywords) {
    ReadString("SCAN\nSEARCH\nLOAD\nHALT\nMANUAL\nF 145.5\nM am\nCHANNEL 12\n"
               "F -1\nM XYZ\nCHANNEL 999\nCHANNEL 5000\nCHANNEL -1\nF junk\n");
    const std::vector<std::string> expected = {"button 1", "button 3",  "button 5",
                                               "button 0", "button 0",  "tune 14550000",
                                               "mode 4",   "channel 12"};
    EXPECT_EQ(Actions.Calls, expected);
    for (int line = 9; line <= 14; ++line)
        EXPECT_TRUE(HasMessage("Record " + std::to_string(line) + " Range Error!")) << line;

    // MEMORY and VFO act only while the memory/VFO command is available.
    Actions.Calls.clear();
    Actions.MemoryAvailable = false;
    ReadString("MEMORY\n");
    EXPECT_FALSE(Config.Selected().Memory);
    Actions.MemoryAvailable = true;
    ReadString("MEMORY\n");
    EXPECT_TRUE(Config.Selected().Memory);
    ReadString("VFO\n");
    EXPECT_FALSE(Config.Selected().Memory);
    EXPECT_EQ(Actions.Calls, (std::vector<std::string>{"memory mode", "memory mode"}));

    // Without an engine the keywords are read without effect and without harm.
    Ctx.Actions = nullptr;
    EXPECT_TRUE(ReadString("SCAN\nF 145.5\nMEMORY\nBANK ON\n"));
    EXPECT_TRUE(Config.Global.UseBanks);
}

TEST_F(ReaderTest, ClearKeywords) {
    for (int i = 0; i < 3; ++i) {
        Mem.Channels[i].Frequency = 100 + i;
        Mem.Channels[i].Count = 5;
        Mem.Channels[i].Service = "s";
        Mem.Channels[i].Signal = 3;
        Mem.Channels[i].ActiveTime = 9;
    }
    ReadString("CLEAR COUNTS\nCLEAR SERVICE\nCLEAR SIGNAL\nCLEAR TIME\nCLEAR NONSENSE\n");
    EXPECT_EQ(Mem.Channels[0].Count, 5); // channel 0 is left alone
    EXPECT_EQ(Mem.Channels[0].Service, "s");
    EXPECT_EQ(Mem.Channels[1].Count, 0);
    EXPECT_EQ(Mem.Channels[1].Service, "");
    EXPECT_EQ(Mem.Channels[1].Signal, 0);
    EXPECT_EQ(Mem.Channels[2].ActiveTime, 0);
    EXPECT_EQ(Mem.Channels[2].Frequency, 102);
    EXPECT_TRUE(HasMessage("Record 5 Range Error!"));

    for (const char* text : {"CLEAR\n", "clear all\n"}) {
        Mem.Channels[4].Frequency = 1;
        Mem.ScanBanks[2].Valid = true;
        Mem.TrunkIds[3].Id = "77";
        Mem.TrunkBanks[1].SystemType = 2;
        Actions.Calls.clear();
        ReadString(text);
        EXPECT_EQ(Mem.Channels[4], BlankChannel);
        EXPECT_FALSE(Mem.ScanBanks[2].Valid);
        EXPECT_EQ(Mem.TrunkIds[3], BlankTrunkId);
        EXPECT_EQ(Mem.TrunkBanks[1].SystemType, 0);
        EXPECT_EQ(Actions.Calls, std::vector<std::string>{"cleared"});
        EXPECT_EQ(Messages().back(), "Cleared everything with CLEAR command in file");
    }
}

TEST_F(ReaderTest, ChainReadsTheOtherFileThenContinues) {
    WriteText("Inner.frq", "002 0002.00000 FM 0 0 NDLY inner\nDELAY 3\n");
    ReadString("001 0001.00000 FM 0 0 NDLY outer\nCHAIN Inner.frq\nDELAY 5\n");
    // The name keeps its case and is found beside the chaining file.
    EXPECT_EQ(Mem.Channels[2].Service, "inner");
    EXPECT_EQ(Config.Global.DlyTime, 5);
    EXPECT_TRUE(HasMessage("Processed Frequency File " + PathOf("Inner.frq")));

    // A chain that comes back to a file being read stops with a message.
    WriteText("a.frq", "CHAIN b.frq\n003 0003.00000 FM 0 0 NDLY a\n");
    WriteText("b.frq", "CHAIN a.frq\n004 0004.00000 FM 0 0 NDLY b\n");
    EXPECT_TRUE(ReadFrequencyFile(Ctx, PathOf("a.frq")));
    EXPECT_TRUE(HasMessage("*CHAIN a.frq not read: that file is already being read"));
    EXPECT_EQ(Mem.Channels[3].Service, "a");
    EXPECT_EQ(Mem.Channels[4].Service, "b");

    // Ten distinct files chained one into the next stop at the depth limit.
    for (int i = 0; i < 10; ++i)
        WriteText("d" + std::to_string(i) + ".frq", "CHAIN d" + std::to_string(i + 1) + ".frq\n" +
                                                        std::to_string(100 + i) +
                                                        " 0001.00000 FM 0 0 NDLY d\n");
    ReadFrequencyFile(Ctx, PathOf("d0.frq"));
    EXPECT_TRUE(HasMessage("*CHAIN d8.frq not read: frequency files chained more than 8 deep"));
    EXPECT_EQ(Mem.Channels[107].Service, "d");
    EXPECT_EQ(Mem.Channels[108].Service, "");
}

TEST_F(ReaderTest, UnopenableFileChangesNothing) {
    Mem.Channels[1].Frequency = 5;
    EXPECT_FALSE(ReadFrequencyFile(Ctx, PathOf("missing.frq")));
    EXPECT_FALSE(ReadFrequencyFile(Ctx, Dir.string())); // a directory
    ASSERT_EQ(Host.Boxes.size(), 2u);
    EXPECT_EQ(Host.Boxes[0].Title, "Open Error");
    EXPECT_EQ(Host.Boxes[0].Text, "Could Not Open " + PathOf("missing.frq"));
    EXPECT_EQ(Host.Boxes[0].Icon, MsgIcon::Exclamation);
    EXPECT_EQ(Mem.Channels[1].Frequency, 5);

    // No free file number: the same box, and every slot is still taken after.
    for (int i = 0; i < FileSlots::Count; ++i)
        Slots.TakeFileSlot();
    const std::string path = WriteText("x.frq", "001 0001.00000 FM 0 0 NDLY a\n");
    EXPECT_FALSE(ReadFrequencyFile(Ctx, path));
    EXPECT_EQ(Host.Boxes.back().Text, "Could Not Open " + path);
    EXPECT_EQ(Slots.InUse(), FileSlots::Count);
    EXPECT_EQ(Mem.Channels[1].Frequency, 5);
    for (int i = 1; i <= FileSlots::Count; ++i)
        Slots.ReleaseFileSlot(i);
}

// Only regular files of a sane size are read; nothing blocks or grows
// without bound (a FIFO without a writer, /dev/zero, a huge file, a huge line).
TEST_F(ReaderTest, OnlyRegularFilesOfBoundedSizeAreRead) {
    const std::string fifo = PathOf("fifo.frq");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = PathOf("huge.frq");
    std::filesystem::resize_file(WriteText("huge.frq", "001 0146.00000 FM\n"),
                                 MaxFrequencyFileBytes + 1);
    for (const std::string& path : {std::string("/dev/zero"), fifo, huge}) {
        EXPECT_FALSE(ReadFrequencyFile(Ctx, path)) << path;
        EXPECT_EQ(Host.Boxes.back().Title, "Open Error");
        EXPECT_EQ(Host.Boxes.back().Text.rfind("Could Not Open " + path + ": it is ", 0), 0u)
            << Host.Boxes.back().Text;
    }
    EXPECT_EQ(Mem.Channels[1].Frequency, 0);

    // CHAIN to such a file is refused the same way and the rest is read; a
    // line past the length limit is a record in error.
    const size_t boxes = Host.Boxes.size();
    EXPECT_TRUE(ReadString("CHAIN /dev/zero\n" + std::string(MaxFrequencyLineBytes * 3, '1') +
                           "\n002 0146.52000 FM 0 0 NDLY b\n"));
    EXPECT_EQ(Host.Boxes.size(), boxes + 1);
    EXPECT_TRUE(HasMessage("Record 2 in Error!"));
    EXPECT_EQ(Mem.Channels[2].Frequency, 14652000);
}

TEST_F(ReaderTest, BadInputGivesMessagesNeverACrash) {
    std::string junk;
    std::mt19937 rng(7);
    for (int i = 0; i < 200000; ++i)
        junk += static_cast<char>(rng());
    EXPECT_TRUE(ReadString(junk, "junk.frq"));

    // One 10 MB line: a record in error, never 10 MB of service text.
    Mem = Memory();
    const std::string longService(10 * 1024 * 1024, 'x');
    EXPECT_TRUE(ReadString("001 0001.00000 FM 0 0 NDLY " + longService, "long.frq"));
    EXPECT_EQ(Mem.Channels[1], Memory().Channels[1]);
    EXPECT_TRUE(HasMessage("Record 1 in Error!"));

    // Numbers far out of range are range errors or clamped, never wrapped.
    Mem = Memory();
    ReadString("99999999999999999999 1 FM 0 0 NDLY\n"
               "002 99999999999.9 FM 99999999999999999999 -99999999999 "
               "S99999999999999 PL 99999999999 -5 7 TS 99999999999999999999 BW99999 NDLY z\n"
               "@ 99999999999 1 2 SCAN\n"
               "% -1 EDACS Y 1\n"
               "& -5 1 2 3 NDLY\n");
    const Channel& c = Mem.Channels[2];
    EXPECT_EQ(c.Frequency, NoFrequency);
    EXPECT_EQ(c.Count, 10000);
    EXPECT_EQ(c.ActiveTime, 0);
    EXPECT_EQ(c.Signal, 13);
    EXPECT_EQ(c.Tone1, 0);
    EXPECT_EQ(c.Tone3, 7);
    EXPECT_EQ(c.Bandwidth, 6);
    EXPECT_EQ(c.Service, "z");
    for (int line = 1; line <= 5; ++line)
        EXPECT_TRUE(HasMessage("Record " + std::to_string(line) + " Range Error!")) << line;
}

TEST_F(ReaderTest, SortAndDatabaseKeywords) {
    Mem.Channels[0].Frequency = 100;
    Mem.Channels[1].Frequency = 300;
    ReadString("SORT\nDBNAME " + PathOf("NoSuch.dbf") + "\n");
    EXPECT_EQ(Mem.Channels[0].Frequency, 300);
    EXPECT_EQ(Config.Global.DbFile, PathOf("NoSuch.dbf")); // the name keeps its case
    ASSERT_FALSE(Host.Boxes.empty());
    EXPECT_EQ(Host.Boxes.back().Title, "DB Read");
}

// Random mutations of a valid file: the reader never crashes and every table
// stays within the bounds the rest of the program relies on.
TEST_F(ReaderTest, RandomMutationsStayWithinBounds) {
    const std::string valid =
        "*** updated on 3/2/26 4:05:09p \n"
        "005 0145.50000 FM  00012 00034 S05  TSTAMP  0000086400 PL 05  07 42 NTCH  PAMP  "
        ".... TRUNK  NBN  AGCS  AV  BW3  TONE2  VALID     ANTEN    RESUME    DELAY Fire\n"
        "006 0030.00000 AM  00000 00000 S00 TS  0000000000 PL 00  00 00 BW0  NDLY \n"
        "@   003  010  020    SCAN Fire\n"
        "#   002 0118.00000 0137.00000 0000.02500 AM     SEARCH Air\n"
        "%1 EDACS YNNNN 013\n"
        "&017 1234 00003 00004 S02 TS  0000000100  VLD  ATT  RSM  DLY Police\n"
        "BANK ON\nPRIORITY 5\nRESUME 10\n";
    const std::string alphabet = "0123456789 .-@#%&*SPLTRBWDYNV\t\r\nxZ\xFF";
    std::mt19937 rng(12345);
    Ctx.Actions = nullptr;
    for (int trial = 0; trial < 5000; ++trial) {
        std::string text = valid;
        const int edits = 1 + static_cast<int>(rng() % 8);
        for (int e = 0; e < edits; ++e) {
            const size_t at = rng() % (text.size() + 1);
            switch (rng() % 4) {
            case 0:
                text.insert(at, 1, alphabet[rng() % alphabet.size()]);
                break;
            case 1:
                if (at < text.size()) text.erase(at, 1 + rng() % 5);
                break;
            case 2:
                if (at < text.size()) text[at] = static_cast<char>(rng());
                break;
            default:
                text.insert(at, std::to_string(static_cast<int64_t>(rng()) * 1000003));
            }
        }
        ReadFrequencyFile(Ctx, WriteText("fuzz.frq", text));
    }
    for (int i = 0; i <= ChannelCount; ++i) {
        const Channel& c = Mem.Channels[i];
        ASSERT_TRUE(c.Count >= 0 && c.Count <= 10000 && c.ActiveTime >= 0 &&
                    c.ActiveTime <= 10000 && c.Signal <= 13 && c.Tone1 <= 42 && c.Tone2 <= 42 &&
                    c.Tone3 <= 42 && c.Bandwidth <= 6 && c.Agc <= 2 && c.Antenna <= 2 &&
                    c.NoiseBlank <= 2 && c.Mode <= 9)
            << i;
    }
    for (int i = 0; i < BankCount; ++i) {
        const Channel& b = Mem.ScanBanks[i];
        ASSERT_TRUE(b.Lower >= 0 && b.Lower <= 999 && b.Upper >= 0 && b.Upper <= 999) << i;
        ASSERT_TRUE(Mem.SearchBanks[i].Lower >= 0 && Mem.SearchBanks[i].Step >= 0) << i;
    }
    for (int i = 0; i < TrunkBankCount; ++i)
        ASSERT_LE(Mem.TrunkBanks[i].SystemType, 6);
    EXPECT_EQ(Mem.ScanBanks[BankCount], BlankChannel); // the spare entries are never stored
    EXPECT_EQ(Mem.TrunkIds[TrunkIdCount], BlankTrunkId);
    EXPECT_GE(Config.Global.PriorityChannel, 0);
    EXPECT_LE(Config.Global.PriorityChannel, 999);
}
