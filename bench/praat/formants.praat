# The formants in Praat with the parameters kavrel formants has by default:
# Burg's method, 5 formants below 5500 Hz, window 0.025 s (a Gaussian twice
# as long), pre-emphasis from 50 Hz. With an output file, every frame's time,
# F1 … F4 (--undefined-- for one not found) go there, one line each;
# without one, only the number of frames is printed.
form Formants
    sentence File
    positive Time_step 0.00625
    sentence Output
endform
sound = Read from file: file$
formant = To Formant (burg): time_step, 5, 5500, 0.025, 50
frames = Get number of frames
if output$ = ""
    writeInfoLine: frames
else
    table = Create Table with column names: "frames", frames, "time F1 F2 F3 F4"
    for i to frames
        selectObject: formant
        t = Get time from frame number: i
        f1 = Get value at time: 1, t, "hertz", "linear"
        f2 = Get value at time: 2, t, "hertz", "linear"
        f3 = Get value at time: 3, t, "hertz", "linear"
        f4 = Get value at time: 4, t, "hertz", "linear"
        selectObject: table
        Set numeric value: i, "time", t
        Set numeric value: i, "F1", f1
        Set numeric value: i, "F2", f2
        Set numeric value: i, "F3", f3
        Set numeric value: i, "F4", f4
    endfor
    selectObject: table
    Save as tab-separated file: output$
endif
