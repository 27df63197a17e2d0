/*
 * Short MP3 files of silence with an ID3v1 tag, written by the demo into
 * its own folder so that the stand-in player's playlist names real files
 * whose tags the plug-in reads.  No third-party media is involved: every
 * byte is made here.
 */
#ifndef KESTRUNE_SILENT_MP3_H
#define KESTRUNE_SILENT_MP3_H

#include <string>

/* The texts of an ID3v1.1 tag; each is cut to its field (30 bytes, the comment 28, the year 4). */
struct Mp3Tag {
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Year;
    std::string Comment;
    unsigned char Track; /* 1-based; 0 for none */
    unsigned char Genre; /* the ID3v1 genre number */
};

/*
 * The samples per second and the bit rate of the frames: MPEG-1 Layer III
 * at 44.1 kHz and 128 kbit/s, 1152 samples a frame.
 */
enum { SILENT_MP3_SAMPLE_RATE = 44100, SILENT_MP3_BIT_RATE = 128000, SILENT_MP3_FRAME_SAMPLES = 1152 };

/*
 * The bytes of an MP3 file: frames MPEG-1 Layer III frames of silence
 * (stereo, no CRC; the side information and the main data all zero, so a
 * decoder reads no Huffman data and plays nothing), padded as an encoder
 * pads them to keep the bit rate exact, then the 128-byte ID3v1.1 tag.
 */
std::string SilentMp3(const Mp3Tag &tag, int frames);

/* The length in bytes of the MPEG-1 Layer III frame that starts with this 4-byte header; 0 when it is none. */
int Mp3FrameLength(const unsigned char *header);

#endif
