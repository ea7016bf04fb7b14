/* An ALSA control plugin for the mixer tests: one card with a microphone capture volume (range from
 * the configuration, default 0..65535, two channels), a microphone capture switch, a microphone
 * playback switch and an AGC switch. Every value lives in a state file, read when the control is
 * opened and rewritten after each change, so a test reads what the program set:
 *     "<volume left> <volume right> <capture switch> <playback switch> <agc>\n"
 * Configuration: ctl.NAME { type tessarin_test state "/path" min -20 max 20 } */
#include <alsa/asoundlib.h>
#include <alsa/control_external.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum
{
    kVolume,
    kCaptureSwitch,
    kPlaybackSwitch,
    kAgc,
    kCount
};

static const char* const kNames[kCount] = {"Mic Capture Volume", "Mic Capture Switch", "Mic Playback Switch",
                                           "Auto Gain Control Switch"};

typedef struct
{
    snd_ctl_ext_t ext;
    char state[4096];
    long min, max;
    long volume[2];
    long captureSwitch, playbackSwitch, agc;
} TestCtl;

static void LoadState(TestCtl* ctl)
{
    FILE* file = fopen(ctl->state, "r");
    if (!file)
        return;
    if (fscanf(file, "%ld %ld %ld %ld %ld", &ctl->volume[0], &ctl->volume[1], &ctl->captureSwitch,
               &ctl->playbackSwitch, &ctl->agc) != 5)
    {
        /* keep the defaults */
    }
    fclose(file);
}

static void SaveState(const TestCtl* ctl)
{
    FILE* file = fopen(ctl->state, "w");
    if (!file)
        return;
    fprintf(file, "%ld %ld %ld %ld %ld\n", ctl->volume[0], ctl->volume[1], ctl->captureSwitch,
            ctl->playbackSwitch, ctl->agc);
    fclose(file);
}

static void Close(snd_ctl_ext_t* ext)
{
    free(ext->private_data);
}

static int ElemCount(snd_ctl_ext_t* ext)
{
    (void)ext;
    return kCount;
}

static int ElemList(snd_ctl_ext_t* ext, unsigned int offset, snd_ctl_elem_id_t* id)
{
    (void)ext;
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    if (offset < kCount)
        snd_ctl_elem_id_set_name(id, kNames[offset]);
    return 0;
}

static snd_ctl_ext_key_t FindElem(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id)
{
    (void)ext;
    const char* name = snd_ctl_elem_id_get_name(id);
    for (int key = 0; key < kCount; ++key)
        if (strcmp(name, kNames[key]) == 0)
            return (snd_ctl_ext_key_t)key;
    return SND_CTL_EXT_KEY_NOT_FOUND;
}

static int GetAttribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned int* acc,
                        unsigned int* count)
{
    (void)ext;
    *type = key == kVolume ? SND_CTL_ELEM_TYPE_INTEGER : SND_CTL_ELEM_TYPE_BOOLEAN;
    *acc = SND_CTL_EXT_ACCESS_READWRITE;
    *count = key == kVolume ? 2 : 1;
    return 0;
}

static int GetIntegerInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* imin, long* imax, long* istep)
{
    TestCtl* ctl = ext->private_data;
    (void)key;
    *imin = ctl->min;
    *imax = ctl->max;
    *istep = 1;
    return 0;
}

static long* Value(TestCtl* ctl, snd_ctl_ext_key_t key)
{
    switch (key)
    {
        case kVolume:
            return ctl->volume;
        case kCaptureSwitch:
            return &ctl->captureSwitch;
        case kPlaybackSwitch:
            return &ctl->playbackSwitch;
        default:
            return &ctl->agc;
    }
}

static int ReadInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value)
{
    TestCtl* ctl = ext->private_data;
    LoadState(ctl);
    const long* stored = Value(ctl, key);
    value[0] = stored[0];
    if (key == kVolume)
        value[1] = stored[1];
    return 0;
}

static int WriteInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value)
{
    TestCtl* ctl = ext->private_data;
    LoadState(ctl);
    long* stored = Value(ctl, key);
    const int count = key == kVolume ? 2 : 1;
    int changed = 0;
    for (int i = 0; i < count; ++i)
    {
        changed |= stored[i] != value[i];
        stored[i] = value[i];
    }
    SaveState(ctl);
    return changed;
}

static int ReadEvent(snd_ctl_ext_t* ext, snd_ctl_elem_id_t* id, unsigned int* mask)
{
    (void)ext;
    (void)id;
    (void)mask;
    return -EAGAIN;
}

static const snd_ctl_ext_callback_t kCallbacks = {
    .close = Close,
    .elem_count = ElemCount,
    .elem_list = ElemList,
    .find_elem = FindElem,
    .get_attribute = GetAttribute,
    .get_integer_info = GetIntegerInfo,
    .read_integer = ReadInteger,
    .write_integer = WriteInteger,
    .read_event = ReadEvent,
};

SND_CTL_PLUGIN_DEFINE_FUNC(tessarin_test)
{
    (void)root;
    TestCtl* ctl = calloc(1, sizeof(TestCtl));
    if (!ctl)
        return -ENOMEM;
    ctl->min = 0;
    ctl->max = 65535;
    snd_config_iterator_t i, next;
    snd_config_for_each(i, next, conf)
    {
        snd_config_t* node = snd_config_iterator_entry(i);
        const char* key;
        if (snd_config_get_id(node, &key) < 0)
            continue;
        const char* text;
        long number;
        if (strcmp(key, "state") == 0 && snd_config_get_string(node, &text) == 0)
            snprintf(ctl->state, sizeof ctl->state, "%s", text);
        else if (strcmp(key, "min") == 0 && snd_config_get_integer(node, &number) == 0)
            ctl->min = number;
        else if (strcmp(key, "max") == 0 && snd_config_get_integer(node, &number) == 0)
            ctl->max = number;
    }
    /* Untouched values: a volume in the middle of nowhere in particular, switches as a card has them. */
    ctl->volume[0] = ctl->volume[1] = ctl->min + (ctl->max - ctl->min) / 4;
    ctl->captureSwitch = 0;
    ctl->playbackSwitch = 1;
    ctl->agc = 0;
    LoadState(ctl);

    ctl->ext.version = SND_CTL_EXT_VERSION;
    ctl->ext.card_idx = 0;
    snprintf(ctl->ext.id, sizeof ctl->ext.id, "TessarinTest");
    snprintf(ctl->ext.driver, sizeof ctl->ext.driver, "tessarin_test");
    snprintf(ctl->ext.name, sizeof ctl->ext.name, "Tessarin Test Mic");
    snprintf(ctl->ext.longname, sizeof ctl->ext.longname, "Tessarin Test Microphone");
    snprintf(ctl->ext.mixername, sizeof ctl->ext.mixername, "Tessarin Test Mixer");
    ctl->ext.callback = &kCallbacks;
    ctl->ext.private_data = ctl;
    const int error = snd_ctl_ext_create(&ctl->ext, name, mode);
    if (error < 0)
    {
        free(ctl);
        return error;
    }
    *handlep = ctl->ext.handle;
    return 0;
}

SND_CTL_PLUGIN_SYMBOL(tessarin_test);
