/* Plays silence through the wave-out device for a while and does nothing else: what any program
 * that plays audio this way costs the platform, with which scripts/measure-player compares the
 * player.
 *
 *   waveout-floor SECONDS [BUFFER_BYTES [BUFFERS]]
 *
 * 44.1 kHz stereo, 16-bit, a ring of BUFFERS (default 8) buffers of BUFFER_BYTES (default 4608,
 * one MPEG frame) bytes, refilled as each is reported done: the player's own ring and block size.
 * Exits 0 after SECONDS, 1 when the device does not open. */
#include <windows.h>
#include <mmsystem.h>
#include <stdlib.h>

enum { kMaxBuffers = 64, kMaxBufferBytes = 1 << 20 };

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const DWORD seconds = (DWORD)atoi(argv[1]);
    int bufferBytes = argc > 2 ? atoi(argv[2]) : 4608;
    int buffers = argc > 3 ? atoi(argv[3]) : 8;
    if (bufferBytes < 4 || bufferBytes > kMaxBufferBytes || buffers < 1 || buffers > kMaxBuffers)
        return 2;
    bufferBytes &= ~3; /* whole stereo samples */

    WAVEFORMATEX format = {0};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 44100 * 4;

    char* memory = calloc((size_t)buffers, (size_t)bufferBytes);
    HANDLE done = CreateEventA(NULL, FALSE, FALSE, NULL);
    HWAVEOUT device = NULL;
    if (memory == NULL || done == NULL ||
        waveOutOpen(&device, WAVE_MAPPER, &format, (DWORD_PTR)done, 0, CALLBACK_EVENT) != MMSYSERR_NOERROR)
        return 1;
    WAVEHDR headers[kMaxBuffers] = {0};
    for (int i = 0; i < buffers; ++i) {
        headers[i].lpData = memory + (size_t)i * (size_t)bufferBytes;
        headers[i].dwBufferLength = (DWORD)bufferBytes;
        waveOutPrepareHeader(device, &headers[i], sizeof headers[i]);
        waveOutWrite(device, &headers[i], sizeof headers[i]);
    }
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < seconds * 1000) {
        WaitForSingleObject(done, 1000);
        for (int i = 0; i < buffers; ++i)
            if (headers[i].dwFlags & WHDR_DONE)
                waveOutWrite(device, &headers[i], sizeof headers[i]);
    }
    waveOutReset(device);
    for (int i = 0; i < buffers; ++i)
        waveOutUnprepareHeader(device, &headers[i], sizeof headers[i]);
    waveOutClose(device);
    free(memory);
    CloseHandle(done);
    return 0;
}
