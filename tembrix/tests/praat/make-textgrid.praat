# A TextGrid of a 2-second sound as a phonetician makes one in Praat: words,
# the sounds inside them, a pause left empty, Cyrillic labels, one with
# quotes, and a point tier of tones. Saved three ways into the folder: text
# (UTF-8), short text (UTF-8) and text in Praat's own UTF-16.
form Make a TextGrid
    sentence Folder
endform
Create TextGrid: 0, 2, "слова звуки тоны", "тоны"
Insert boundary: 1, 0.35
Insert boundary: 1, 1.2
Insert boundary: 1, 1.6137
Set interval text: 1, 2, "мама"
Set interval text: 1, 3, "мыла ""раму"""
Insert boundary: 2, 0.35
Insert boundary: 2, 0.5
Insert boundary: 2, 0.7
Insert boundary: 2, 0.95
Insert boundary: 2, 1.2
Insert boundary: 2, 1.41234
Insert boundary: 2, 1.6137
Set interval text: 2, 2, "м"
Set interval text: 2, 3, "а"
Set interval text: 2, 4, "м"
Set interval text: 2, 5, "а"
Set interval text: 2, 6, "м"
Set interval text: 2, 7, "ы"
Insert point: 3, 0.6, "H*"
Text writing preferences: "UTF-8"
Save as text file: folder$ + "/long.TextGrid"
Save as short text file: folder$ + "/short.TextGrid"
Text writing preferences: "try ASCII, then UTF-16"
Save as text file: folder$ + "/utf16.TextGrid"
