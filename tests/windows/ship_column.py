#!/usr/bin/env python3
"""Where the ship is in a saved window picture: the median column of the
ship's grey metal in the band it flies in (the land is green, the sea blue).

    ship_column.py WINDOW.ppm X,Y,W,H    (the 332 x 478 picture's place)

Prints the column in the game's pixels, -1 when no ship is seen."""
import sys
def read_ppm(path):
    data=open(path,'rb').read()
    parts=data.split(maxsplit=4)
    assert parts[0]==b'P6'
    w,h=int(parts[1]),int(parts[2])
    return w,h,parts[4]
w,h,px=read_ppm(sys.argv[1])
x0,y0,pw,ph=[int(v) for v in sys.argv[2].split(',')]
xs=[]
for ly in range(345,415):
    for lx in range(0,332):
        x=x0+int((lx+0.5)*pw/332); y=y0+int((ly+0.5)*ph/478)
        i=(y*w+x)*3
        r,g,b=px[i],px[i+1],px[i+2]
        if max(r,g,b)-min(r,g,b)<24 and 90<=max(r,g,b)<=235: xs.append(lx)
xs.sort()
print(xs[len(xs) // 2] if len(xs) > 20 else -1)
