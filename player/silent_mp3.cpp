/*
 * Short MP3 files of silence with an ID3v1.1 tag (see silent_mp3.h).
 *
 * A frame's length in bytes is 144 x bit rate / sample rate, plus one
 * padding byte where the frame has its padding bit: at 128 kbit/s and
 * 44.1 kHz that is 417.96 bytes, so an encoder pads a frame whenever the
 * remainder it carries reaches a whole byte, and so does this writer.
 */
#include "player/silent_mp3.h"

enum {
    FRAME_HEADER_SIZE = 4,
    SLOT_FACTOR = 144, /* 1152 samples / 8 bits */
    BIT_RATE_INDEX_128K = 9,
    PADDING_BIT = 0x02
};

/* Bit rates of MPEG-1 Layer III by their 4-bit index, in kbit/s (0: free format, 15: invalid). */
static const int BitRates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
/* Sample rates of MPEG-1 by their 2-bit index (3: reserved). */
static const int SampleRates[4] = {44100, 48000, 32000, 0};

int Mp3FrameLength(const unsigned char *header)
{
    /* Frame sync, MPEG-1 (bits 11) and Layer III (bits 01); the protection bit may be either. */
    if (header[0] != 0xFF || (header[1] & 0xFE) != 0xFA)
        return 0;
    int bitRate = BitRates[header[2] >> 4] * 1000, sampleRate = SampleRates[(header[2] >> 2) & 3];
    if (bitRate == 0 || sampleRate == 0)
        return 0;
    return SLOT_FACTOR * bitRate / sampleRate + ((header[2] & PADDING_BIT) ? 1 : 0);
}

/* One field of the tag: the text cut to its width, padded with zero bytes. */
static std::string TagField(const std::string &text, size_t width)
{
    std::string field = text.substr(0, width);
    field.resize(width, '\0');
    return field;
}

std::string SilentMp3(const Mp3Tag &tag, int frames)
{
    std::string file;
    const int perFrame = SLOT_FACTOR * SILENT_MP3_BIT_RATE;
    int remainder = 0;
    for (int i = 0; i < frames; i++) {
        remainder += perFrame % SILENT_MP3_SAMPLE_RATE;
        bool padded = remainder >= SILENT_MP3_SAMPLE_RATE;
        if (padded)
            remainder -= SILENT_MP3_SAMPLE_RATE;
        /* Sync, MPEG-1, Layer III, no CRC; 128 kbit/s, 44.1 kHz, padding; stereo, not copyrighted, no emphasis. */
        unsigned char header[FRAME_HEADER_SIZE] = {
            0xFF, 0xFB, (unsigned char)(BIT_RATE_INDEX_128K << 4 | (padded ? PADDING_BIT : 0)), 0x00};
        std::string frame((const char *)header, FRAME_HEADER_SIZE);
        frame.resize(Mp3FrameLength(header), '\0'); /* side information and main data: silence */
        file += frame;
    }
    /* ID3v1.1: a zero byte before the last byte of the comment field makes that byte the track number. */
    file += "TAG" + TagField(tag.Title, 30) + TagField(tag.Artist, 30) + TagField(tag.Album, 30) +
            TagField(tag.Year, 4) + TagField(tag.Comment, 28) + '\0' + (char)tag.Track + (char)tag.Genre;
    return file;
}
