# The sonogram's analysis in Praat, matched to kavrel's film of NFFT 1024 at
# 44.1 kHz: the same Gaussian bandwidth, time step and bins. Praat draws no
# picture here, so the comparison favours it.
form Spectrogram
    sentence File
endform
sound = Read from file: file$
spectrogram = To Spectrogram: 0.011330, 22050, 0.00231292556, 43.066, "Gaussian"
frames = Get number of frames
writeInfoLine: frames
