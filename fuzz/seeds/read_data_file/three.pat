title line
0 0.5 0 0
2 10
1 2 3
4 5 6
