# What Praat reads in a TextGrid, on standard output: a line per tier
# ("intervals" or "points", tab, its name), then for an interval tier a line
# per interval (start, end, label, tab-separated). With a second path the
# grid is saved there again as Praat's own UTF-8 text.
form List a TextGrid
    sentence Path
    sentence Resave
endform
grid = Read from file: path$
tiers = Get number of tiers
writeInfo: ""
for t to tiers
    name$ = Get tier name: t
    interval = Is interval tier: t
    if interval
        appendInfoLine: "intervals", tab$, name$
        n = Get number of intervals: t
        for k to n
            a = Get start time of interval: t, k
            b = Get end time of interval: t, k
            label$ = Get label of interval: t, k
            appendInfoLine: fixed$(a, 9), tab$, fixed$(b, 9), tab$, label$
        endfor
    else
        appendInfoLine: "points", tab$, name$
    endif
endfor
if resave$ <> ""
    Text writing preferences: "UTF-8"
    Save as text file: resave$
endif
