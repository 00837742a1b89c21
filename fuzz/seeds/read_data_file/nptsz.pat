title
 NPTSZ 3
 START 10
 STEP 0.5
skip
1 2
3 4
5 6
