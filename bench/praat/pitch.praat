# The pitch in Praat with the parameters kavrel pitch has by default: the
# autocorrelation method, Hann window of three periods of the floor. With an
# output file, every frame's time and F0 (--undefined-- where unvoiced) go
# there, one line each; without one, only the number of frames is printed
# (the speed comparison, whose kavrel side prints to nowhere as well).
form Pitch
    sentence File
    positive Time_step 0.01
    sentence Output
endform
sound = Read from file: file$
pitch = To Pitch (ac): time_step, 75, 15, "no", 0.03, 0.45, 0.01, 0.35, 0.14, 600
frames = Get number of frames
if output$ = ""
    writeInfoLine: frames
else
    table = Create Table with column names: "frames", frames, "time f0"
    selectObject: pitch
    for i to frames
        t = Get time from frame number: i
        f = Get value in frame: i, "Hertz"
        selectObject: table
        Set numeric value: i, "time", t
        Set numeric value: i, "f0", f
        selectObject: pitch
    endfor
    selectObject: table
    Save as tab-separated file: output$
endif
