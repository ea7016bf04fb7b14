// The generator settings record: its archive form (the .sgs file) and its wire form against golden
// bytes written out by hand, the rules of loading, the range mends, and the level and balance helpers.
#include "engine/SigGenSettings.h"

#include "dsp/RandomGenerator.h"
#include "engine/EngineNotifications.h"
#include "platform/Archive.h"
#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace
{

std::string Normalised(std::string hex)
{
    std::string out;
    for (char c : hex)
    {
        if (c != ' ' && c != '\n')
            out += c;
    }
    return out;
}

std::string HexOf(const std::vector<std::uint8_t>& bytes)
{
    return Normalised(
        testsupport::Hex(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
}

std::vector<std::uint8_t> BytesOfHex(const std::string& hex)
{
    const std::string h = Normalised(hex);
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < h.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(h.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::vector<std::uint8_t> Store(CSigGen_settings& s)
{
    CArchive ar;
    s.Serialize(ar);
    return ar.Buffer();
}

class RecordingNotifications : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override { m_messages.push_back(text); }
    std::vector<std::string> m_messages;
};

// The default record, field by field in stream order.
const char* const kDefaultSgs =
    "e3937900 04000000"                                               // tag, version
    "00000000 00000000 02000000 44ac0000"                             // reserved 204, 208, 16; 44100 Hz
    "0000000000408f40"                                                // 1000.0 Hz
    "00000000 00000000"                                               // sine, output off
    "0000000000000000"                                                // balance 0
    "00000000 ff030000"                                               // delay 0, MLS 1023
    "00000000"                                                        // reserved word
    "00000000 00000000 01000000 00000000 00000000 00000000 00000000"  // attenuators, -3 dB in
    "000000000000f03f 000000000000e03f"                               // level 1.0, pulse width 0.5
    "00000000"                                                        // invert
    "0000000000002440 000000000088d340"                               // 10 Hz, 20000 Hz
    "00000000"                                                        // fine
    "0000000000005940 0000000000409f40 0000000000005940"              // sweep 100 Hz, 2000 Hz, 100 s
    "00000000 00040000 00000000 00000000"                             // linear, chirp 1024, type 0, off
    "00000000 10000000"                                               // 16-bit, 16 bits
    "000000000000f03f 000000000000f03f"                               // burst 1 s on, 1 s off
    "00000000 01000000"                                               // burst off, restart
    "000000000000f03f 0000000000000000"                               // on level 1, off level 0
    "02000000 02000000 01000000 00000000"                             // units s, s, gate, reserved
    "00000000"                                                        // empty name
    "0000000000000000 0000000000000000 0000000000000000"              // fades, calibration
    "38000000"                                                        // filter record count 56
    "01000000 00000000 0000000000409f40 0000000000000000"             // enabled, 2000 Hz, 0 Hz
    "02000000 00000000 01000000 00000000 000000000000e03f 00000000 00000000"
    "00000000";  // effects on both channels

// A record with fields set (see FilledRecord).
const char* const kFilledSgs =
    "e3937900 04000000"
    "00000000 00000000 02000000 80bb0000"  // 48000 Hz
    "0000000000807b40"                     // 440 Hz
    "05000000 01000000"                    // sweep, output on
    "000000000000d0bf"                     // balance -0.25
    "07000000 ff0f0000"                    // delay 7, MLS 4095
    "00000000"
    "01000000 00000000 00000000 00000000 01000000 00000000 01000000"
    "000000000000e03f 000000000000e83f"  // level 0.5, pulse width 0.75
    "01000000"                           // inverted
    "0000000000002440 000000000088d340"
    "01000000"                                            // fine
    "0000000000005940 0000000000409f40 0000000000002940"  // 100 Hz, 2000 Hz, 12.5 s
    "01000000 00100000 01000000 01000000"                 // log, chirp 4096, type 1, on
    "01000000 18000000"                                   // 32-bit, 24 bits
    "000000000000e03f 000000000000f03f"                   // 0.5 on, 1 off
    "01000000 00000000"                                   // burst on, no restart
    "000000000000e03f 7b14ae47e17a943f"                   // on level 0.5, off level 0.02
    "01000000 00000000 00000000 00000000"                 // ms, samples, no gate
    "05000000 612e776176"                                 // "a.wav"
    "000000000000e03f 0000000000000000 00000000000018c0"  // fade in 0.5, calibration -6
    "38000000"
    "00000000 00000000 0000000000408f40 0000000000005940"  // disabled, 1000 Hz, 100 Hz
    "04000000 01000000 02000000 00000000 000000000000e03f 01000000 00000000"
    "01000000";  // channel 1 only

CSigGen_settings FilledRecord()
{
    CSigGen_settings s;
    s.m_sample_rate = 48000;
    s.m_frequency = 440.0;
    s.m_mode = kGenModeSweep;
    s.m_output_on = 1;
    s.m_balance = -0.25;
    s.m_delay = 7;
    s.m_mls_length = 4095;
    s.m_attenuator = {1, 0, 0, 0, 1, 0, 1};
    s.m_level = 0.5;
    s.m_pulse_width = 0.75;
    s.m_invert = 1;
    s.m_freq_fine = 1;
    s.m_sweep_time = 12.5;
    s.m_sweep_log = 1;
    s.m_chirp_length = 4096;
    s.m_chirp_type = 1;
    s.m_chirp_on = 1;
    s.m_32bit = 1;
    s.m_bits = 24;
    s.m_burst_on_time = 0.5;
    s.m_burst_on = 1;
    s.m_burst_restart = 0;
    s.m_burst_on_level = 0.5;
    s.m_burst_off_level = 0.02;
    s.m_burst_on_unit = 1;
    s.m_burst_off_unit = 0;
    s.m_burst_gate = 0;
    s.SetWavefileName("a.wav");
    s.m_fade_in = 0.5;
    s.m_calibration_db = -6.0;
    s.m_filter.m_bEnabled = 0;
    s.m_filter.m_dHighCorner = 1000.0;
    s.m_filter.m_dLowCorner = 100.0;
    s.m_filter.m_nOrder = 4;
    s.m_filter.m_bBandStop = 1;
    s.m_filter.m_nDesignKind = 2;
    s.m_filter.m_bTwice = 1;
    s.m_effects_ch1_only = 1;
    // Not in the archive form.
    s.m_flags = 101;
    s.m_am_on = 1;
    s.m_fm_deviation = 5.0;
    s.SetSgsPath("/tmp/x.sgs");
    return s;
}

TEST(SigGenSettingsArchive, GoldenBytes)
{
    CSigGen_settings defaults;
    EXPECT_EQ(HexOf(Store(defaults)), Normalised(kDefaultSgs));
    EXPECT_EQ(Store(defaults).size(), 324u);
    CSigGen_settings filled = FilledRecord();
    EXPECT_EQ(HexOf(Store(filled)), Normalised(kFilledSgs));
    EXPECT_EQ(Store(filled).size(), 324u + 5u);
}

TEST(SigGenSettingsArchive, LoadTakesStoredFieldsAndKeepsTheOthers)
{
    CSigGen_settings reader;
    reader.m_balance_min_db = -20.0;
    reader.m_volume_max_db = -3.0;
    reader.m_am_on = 1;
    reader.m_am_depth = 0.3;
    reader.m_distortion_on = 1;
    reader.m_flags = 7;
    reader.SetSgsPath("kept");
    CArchive in(BytesOfHex(kFilledSgs));
    reader.Serialize(in);
    const CSigGen_settings filled = FilledRecord();
    EXPECT_EQ(reader.m_sample_rate, 48000);
    EXPECT_EQ(reader.m_mode, kGenModeSweep);
    EXPECT_EQ(reader.m_balance, -0.25);
    EXPECT_EQ(reader.m_attenuator, filled.m_attenuator);
    EXPECT_EQ(reader.m_burst_off_level, 0.02);
    EXPECT_EQ(reader.m_burst_gate, 0);
    EXPECT_EQ(reader.GetWavefileName(), "a.wav");
    EXPECT_EQ(reader.m_filter.ToBytes(), filled.m_filter.ToBytes());
    EXPECT_EQ(reader.m_effects_ch1_only, 1);
    EXPECT_EQ(reader.m_calibration_db, -6.0);
    // Not stored: the reader's own values stay.
    EXPECT_EQ(reader.m_balance_min_db, -20.0);
    EXPECT_EQ(reader.m_volume_max_db, -3.0);
    EXPECT_EQ(reader.m_am_on, 1);
    EXPECT_EQ(reader.m_am_depth, 0.3);
    EXPECT_EQ(reader.m_distortion_on, 1);
    EXPECT_EQ(reader.m_flags, 7);
    EXPECT_EQ(reader.GetSgsPath(), "kept");
    // Stored again, the same bytes come back.
    EXPECT_EQ(HexOf(Store(reader)), Normalised(kFilledSgs));
}

TEST(SigGenSettingsArchive, FileRoundTrip)
{
    const auto path = std::filesystem::temp_directory_path() / "siggen_settings_test.sgs";
    CSigGen_settings filled = FilledRecord();
    {
        CArchive out(path, CArchive::Mode::Store);
        filled.Serialize(out);
        out.Close();
    }
    const std::string bytes = testsupport::ReadBytes(path);
    EXPECT_EQ(Normalised(testsupport::Hex(bytes)), Normalised(kFilledSgs));
    CSigGen_settings back;
    CArchive in(path, CArchive::Mode::Load);
    back.Serialize(in);
    EXPECT_EQ(HexOf(Store(back)), Normalised(kFilledSgs));
    std::filesystem::remove(path);
}

// Mend: a stream cut anywhere is refused whole: the record keeps every value it had.
TEST(SigGenSettingsArchive, TruncatedStreamRefusedWhole)
{
    const std::vector<std::uint8_t> full = BytesOfHex(kFilledSgs);
    for (std::size_t cut = 0; cut < full.size(); ++cut)
    {
        CSigGen_settings reader;
        const auto before = reader.ToWire();
        CArchive in(std::span(full.data(), cut));
        EXPECT_THROW(reader.Serialize(in), platform::ArchiveError) << "cut at " << cut;
        EXPECT_EQ(reader.ToWire(), before) << "cut at " << cut;
    }
}

TEST(SigGenSettingsArchive, WrongTagAndVersion)
{
    struct Case
    {
        const char* name;
        std::size_t offset;  // a byte of the default stream to change
        std::uint8_t value;
        std::int32_t versionAfter;
        std::size_t messages;
    };
    const Case cases[] = {
        {"tag", 0, 0xe4, 0, 0},
        {"version 3", 4, 3, 3, 1},
        {"version 5", 4, 5, 5, 1},
    };
    for (const Case& c : cases)
    {
        std::vector<std::uint8_t> bytes = BytesOfHex(kDefaultSgs);
        bytes[c.offset] = c.value;
        CSigGen_settings reader = FilledRecord();
        const CSigGen_settings before = reader;
        RecordingNotifications notifications;
        CArchive in(bytes);
        reader.Serialize(in, notifications);
        EXPECT_EQ(reader.m_version, c.versionAfter) << c.name;
        ASSERT_EQ(notifications.m_messages.size(), c.messages) << c.name;
        if (c.messages > 0)
        {
            EXPECT_EQ(
                notifications.m_messages[0],
                "This generator setting file (*.sgs) is not supported. Please delete all old *.sgs files");
        }
        CSigGen_settings expected = before;
        expected.m_version = c.versionAfter;
        EXPECT_EQ(reader.ToWire(), expected.ToWire()) << c.name;
    }
}

TEST(SigGenSettingsArchive, NameLengthLimits)
{
    struct Case
    {
        std::int32_t length;
        bool accepted;
    };
    const Case cases[] = {{8191, true}, {8192, false}, {100000, false}, {-1, false}};
    for (const Case& c : cases)
    {
        std::vector<std::uint8_t> bytes = BytesOfHex(kDefaultSgs);
        // The name length is the word at 232; the name follows it.
        const std::uint32_t n = static_cast<std::uint32_t>(c.length);
        for (int i = 0; i < 4; ++i)
            bytes[232 + i] = static_cast<std::uint8_t>(n >> (8 * i));
        if (c.accepted)
            bytes.insert(bytes.begin() + 236, static_cast<std::size_t>(c.length), 'x');
        CSigGen_settings reader = FilledRecord();
        const auto before = reader.ToWire();
        CArchive in(bytes);
        if (c.accepted)
        {
            reader.Serialize(in);
            EXPECT_EQ(reader.GetWavefileName(), std::string(static_cast<std::size_t>(c.length), 'x'));
        }
        else
        {
            EXPECT_THROW(reader.Serialize(in), platform::ArchiveError) << c.length;
            EXPECT_EQ(reader.ToWire(), before) << c.length;
        }
    }
}

TEST(SigGenSettingsArchive, FilterCountOtherThan56EndsTheRead)
{
    std::vector<std::uint8_t> bytes = BytesOfHex(kFilledSgs);
    // The count sits after the 5-byte name and the three doubles.
    const std::size_t countAt = 236 + 5 + 24;
    ASSERT_EQ(bytes[countAt], 0x38);
    bytes[countAt] = 0x37;
    CSigGen_settings reader;
    reader.m_effects_ch1_only = 0;
    CArchive in(bytes);
    reader.Serialize(in);
    EXPECT_EQ(reader.m_calibration_db, -6.0);          // read before the count
    EXPECT_EQ(reader.m_filter.m_dHighCorner, 2000.0);  // not read
    EXPECT_EQ(reader.m_effects_ch1_only, 0);
}

// Hand-written bytes of the default wire record; every byte not listed is zero.
struct WireBytes
{
    std::size_t offset;
    const char* hex;
};

const WireBytes kDefaultWire[] = {
    {4, "04000000"},
    {16, "02000000"},
    {24, "0000000000408f40"},
    {36, "ff030000"},
    {48, "000000000000f03f"},
    {80, "0000000000002440"},
    {88, "000000000088d340"},
    {96, "00000000000049c0"},
    {104, "0000000000004940"},
    {112, "66666666660659c0"},
    {136, "01000000"},
    {160, "0000000000005940"},
    {168, "0000000000409f40"},
    {176, "0000000000005940"},
    {188, "00040000"},
    {200, "44ac0000"},
    {212, "10000000"},
    {224, "000000000000e03f"},
    {232, "000000000000f03f"},
    {240, "000000000000f03f"},
    {252, "01000000"},
    {256, "000000000000f03f"},
    {272, "02000000"},
    {276, "02000000"},
    {280, "01000000"},
    {16696, "01000000"},
    {16704, "0000000000409f40"},
    {16720, "02000000"},
    {16728, "01000000"},
    {16736, "000000000000e03f"},
    {16760, "9a9999999999b93f"},
    {16768, "cdccccccccccf43f"},
    {16784, "0000000000408f40"},
    {20904, "0000000000408f40"},
    {20912, "000000000000f03f"},
};

TEST(SigGenSettingsWire, DefaultGoldenBytes)
{
    std::vector<std::uint8_t> expected(20920, 0);
    for (const WireBytes& w : kDefaultWire)
    {
        const auto b = BytesOfHex(w.hex);
        std::copy(b.begin(), b.end(), expected.begin() + static_cast<std::ptrdiff_t>(w.offset));
    }
    CSigGen_settings defaults;
    EXPECT_EQ(defaults.ToWire(), expected);
}

TEST(SigGenSettingsWire, FieldsLandAtTheirOffsets)
{
    CSigGen_settings s = FilledRecord();
    s.m_reserved_block[0] = 0xab;
    s.m_reserved_block[4091] = 0xcd;
    s.m_am_depth = 0.5;
    s.m_dc_offset = -6.0;
    const auto wire = s.ToWire();
    ASSERT_EQ(wire.size(), 20920u);
    const WireBytes expected[] = {
        {8, "65000000"},
        {12, "05000000"},
        {56, "000000000000d0bf"},
        {64, "01000000"},
        {68, "01000000"},
        {72, "01000000"},
        {128, "01000000"},
        {144, "01000000"},
        {152, "01000000"},
        {184, "01000000"},
        {216, "01000000"},
        {264, "7b14ae47e17a943f"},
        {288, "2f746d702f782e73677300"},
        {8480, "612e77617600"},
        {16688, "00000000000018c0"},
        {16696, "00000000"},
        {16776, "00000000"},
        {16784, "0000000000001440"},
        {16792, "00000000000018c0"},
        {16800, "01000000"},
        {16804, "ab"},
        {20895, "cd"},
        {20896, "01000000"},
        {20912, "000000000000e03f"},
    };
    for (const WireBytes& w : expected)
    {
        const auto b = BytesOfHex(w.hex);
        EXPECT_EQ(
            HexOf(std::vector<std::uint8_t>(wire.begin() + static_cast<std::ptrdiff_t>(w.offset),
                                            wire.begin() + static_cast<std::ptrdiff_t>(w.offset + b.size()))),
            Normalised(w.hex))
            << "offset " << w.offset;
    }
    CSigGen_settings back;
    ASSERT_TRUE(back.FromWire(wire));
    EXPECT_EQ(back.ToWire(), wire);
}

// Mend: a received record of the wrong size or version is refused whole.
TEST(SigGenSettingsWire, WrongSizeOrVersionRefusedWhole)
{
    const auto good = FilledRecord().ToWire();
    struct Case
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<std::uint8_t> shortRecord(good.begin(), good.end() - 1);
    std::vector<std::uint8_t> longRecord = good;
    longRecord.push_back(0);
    std::vector<std::uint8_t> badVersion = good;
    badVersion[4] = 3;
    const Case cases[] = {
        {"empty", {}}, {"one short", shortRecord}, {"one long", longRecord}, {"version 3", badVersion}};
    for (const Case& c : cases)
    {
        CSigGen_settings s;
        const auto before = s.ToWire();
        EXPECT_FALSE(s.FromWire(c.bytes)) << c.name;
        EXPECT_EQ(s.ToWire(), before) << c.name;
    }
}

TEST(SigGenSettingsWire, UnterminatedTextIsTerminated)
{
    std::vector<std::uint8_t> wire = CSigGen_settings().ToWire();
    std::fill(wire.begin() + 288, wire.begin() + 288 + 8192, 'p');
    std::fill(wire.begin() + 8480, wire.begin() + 8480 + 8192, 'n');
    CSigGen_settings s;
    ASSERT_TRUE(s.FromWire(wire));
    EXPECT_EQ(s.GetSgsPath(), std::string(8191, 'p'));
    EXPECT_EQ(s.GetWavefileName(), std::string(8191, 'n'));
}

// Mend: fields that would divide by zero or stall the rendering are held to their ranges when a
// record is loaded or received.
TEST(SigGenSettingsRanges, LoadedAndReceivedFieldsAreClamped)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        const char* name;
        std::function<void(CSigGen_settings&)> spoil;
        std::function<bool(const CSigGen_settings&)> holds;
    };
    const Case cases[] = {
        {"zero frequency", [](auto& s) { s.m_frequency = 0.0; },
         [](auto& s) { return s.m_frequency == 0.01; }},
        {"negative frequency", [](auto& s) { s.m_frequency = -440.0; },
         [](auto& s) { return s.m_frequency == 0.01; }},
        {"NaN frequency", [nan](auto& s) { s.m_frequency = nan; },
         [](auto& s) { return s.m_frequency == 1000.0; }},
        {"zero sweep start", [](auto& s) { s.m_sweep_start = 0.0; },
         [](auto& s) { return s.m_sweep_start == 0.01; }},
        {"negative sweep stop", [](auto& s) { s.m_sweep_stop = -1.0; },
         [](auto& s) { return s.m_sweep_stop == 0.01; }},
        {"zero sweep time", [](auto& s) { s.m_sweep_time = 0.0; },
         [](auto& s) { return s.m_sweep_time == 0.001; }},
        {"zero chirp", [](auto& s) { s.m_chirp_length = 0; }, [](auto& s) { return s.m_chirp_length == 16; }},
        {"negative chirp", [](auto& s) { s.m_chirp_length = -5; },
         [](auto& s) { return s.m_chirp_length == 16; }},
        {"zero MLS", [](auto& s) { s.m_mls_length = 0; }, [](auto& s) { return s.m_mls_length == 15; }},
        {"MLS 1000", [](auto& s) { s.m_mls_length = 1000; }, [](auto& s) { return s.m_mls_length == 1023; }},
        {"huge MLS", [](auto& s) { s.m_mls_length = 1 << 30; },
         [](auto& s) { return s.m_mls_length == 1048575; }},
        {"zero rate", [](auto& s) { s.m_sample_rate = 0; }, [](auto& s) { return s.m_sample_rate == 1000; }},
        {"negative burst on", [](auto& s) { s.m_burst_on_time = -1.0; },
         [](auto& s) { return s.m_burst_on_time == 0.0; }},
        {"NaN burst off", [nan](auto& s) { s.m_burst_off_time = nan; },
         [](auto& s) { return s.m_burst_off_time == 1.0; }},
        {"delay", [](auto& s) { s.m_delay = 20000; }, [](auto& s) { return s.m_delay == 16383; }},
        {"bits", [](auto& s) { s.m_bits = 0; }, [](auto& s) { return s.m_bits == 1; }},
        {"pulse width", [](auto& s) { s.m_pulse_width = 1.5; },
         [](auto& s) { return s.m_pulse_width == 1.0; }},
    };
    for (const Case& c : cases)
    {
        CSigGen_settings spoiled;
        c.spoil(spoiled);
        CSigGen_settings received;
        ASSERT_TRUE(received.FromWire(spoiled.ToWire())) << c.name;
        EXPECT_TRUE(c.holds(received)) << "received: " << c.name;
        CSigGen_settings loaded;
        CArchive in(Store(spoiled));
        loaded.Serialize(in);
        EXPECT_TRUE(c.holds(loaded)) << "loaded: " << c.name;
    }
}

TEST(SigGenSettingsLevel, BalanceDb)
{
    struct Case
    {
        double db;
        double balance;
    };
    const Case cases[] = {{0.0, 0.0}, {-6.0, -(1.0 - std::pow(10.0, -0.3))}, {6.0, 0.498812766}, {20.0, 0.9}};
    for (const Case& c : cases)
    {
        CSigGen_settings s;
        s.SetBalanceDb(c.db);
        EXPECT_NEAR(s.m_balance, c.balance, 1e-9) << c.db;
        EXPECT_NEAR(s.GetBalanceDb(), c.db, 1e-9) << c.db;
    }
    CSigGen_settings s;
    s.m_balance = 1.0;
    EXPECT_EQ(s.GetBalanceDb(), 200.0);
    s.m_balance = -1.0;
    EXPECT_EQ(s.GetBalanceDb(), -200.0);
    s.SetBalanceDb(-6.0);
    EXPECT_NEAR(s.m_balance, -0.4988, 1e-4);
}

TEST(SigGenSettingsLevel, SetLevelSwitchesAttenuatorsOutAndOutputOn)
{
    CSigGen_settings s;
    s.m_balance = 0.4;
    s.SetLevel(0.25);
    EXPECT_EQ(s.m_level, 0.25);
    EXPECT_EQ(s.m_balance, 0.0);
    EXPECT_EQ(s.m_attenuator, (std::array<std::int32_t, 7>{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s.m_output_on, 1);
}

TEST(SigGenSettingsCopy, KeepsTheDestinationsBurstShapeEffectsAndModulation)
{
    CSigGen_settings source = FilledRecord();
    source.m_fm_on = 1;
    source.m_dc_offset = 0.3;
    source.m_am_frequency = 50.0;
    source.m_distortion_drive = 0.7;
    source.m_reserved_block[10] = 9;
    CSigGen_settings dest;
    dest.Copy(source);
    // Copied.
    EXPECT_EQ(dest.m_frequency, 440.0);
    EXPECT_EQ(dest.m_flags, 101);
    EXPECT_EQ(dest.GetSgsPath(), "/tmp/x.sgs");
    EXPECT_EQ(dest.GetWavefileName(), "a.wav");
    EXPECT_EQ(dest.m_filter.ToBytes(), source.m_filter.ToBytes());
    EXPECT_EQ(dest.m_burst_on_time, 0.5);
    EXPECT_EQ(dest.m_effects_ch1_only, 1);
    EXPECT_EQ(dest.m_calibration_db, -6.0);
    // Kept.
    const CSigGen_settings fresh;
    EXPECT_EQ(dest.m_burst_on_level, fresh.m_burst_on_level);
    EXPECT_EQ(dest.m_burst_off_level, fresh.m_burst_off_level);
    EXPECT_EQ(dest.m_burst_on_unit, fresh.m_burst_on_unit);
    EXPECT_EQ(dest.m_burst_off_unit, fresh.m_burst_off_unit);
    EXPECT_EQ(dest.m_burst_gate, fresh.m_burst_gate);
    EXPECT_EQ(dest.m_fm_on, 0);
    EXPECT_EQ(dest.m_fm_deviation, 1000.0);
    EXPECT_EQ(dest.m_dc_offset, 0.0);
    EXPECT_EQ(dest.m_am_on, 0);
    EXPECT_EQ(dest.m_am_frequency, 1000.0);
    EXPECT_EQ(dest.m_distortion_drive, 0.1);
    EXPECT_EQ(dest.m_reserved_block[10], 0);
}

TEST(SigGenSettingsDefaults, ResetRestartsTheWhiteNoiseSequence)
{
    // First outputs of MT19937 seeded by the array {0x123, 0x234, 0x345, 0x456} (published reference).
    const std::uint32_t reference[] = {1067595299u, 955945823u, 477289528u};
    for (int round = 0; round < 2; ++round)
    {
        CSigGen_settings s;
        s.m_frequency = 5.0;
        s.SetDefaults();
        EXPECT_EQ(s.m_frequency, 1000.0);
        for (const std::uint32_t r : reference)
            EXPECT_EQ(GetRandomUniform(), static_cast<double>(r) / 4294967295.0);
    }
}

TEST(SigGenSettingsText, LongNamesAreCutAtACharacterBoundary)
{
    CSigGen_settings s;
    s.SetWavefileName(std::string(9000, 'a'));
    EXPECT_EQ(s.GetWavefileName().size(), 8191u);
    // 8190 ASCII bytes and then a two-byte character: it does not fit and is dropped whole.
    std::string name(8190, 'a');
    name.append("\xc3\xa9");
    name.push_back('b');
    s.SetWavefileName(name);
    EXPECT_EQ(s.GetWavefileName(), std::string(8190, 'a'));
}

}  // namespace
